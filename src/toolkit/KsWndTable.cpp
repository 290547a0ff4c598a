#include "toolkit/KsWndTable.h"

#include <map>
#include <mutex>

namespace {
std::mutex& TableLock() {
  static std::mutex lock;
  return lock;
}
std::map<ks::sys::HWND, KsWnd*>& Table() {
  static std::map<ks::sys::HWND, KsWnd*> table;
  return table;
}
}  // namespace

void KsWndTable::Add(ks::sys::HWND handle, KsWnd* window) {
  std::lock_guard lock(TableLock());
  Table()[handle] = window;
}

void KsWndTable::Remove(ks::sys::HWND handle) {
  std::lock_guard lock(TableLock());
  Table().erase(handle);
}

KsWnd* KsWndTable::Find(ks::sys::HWND handle) {
  std::lock_guard lock(TableLock());
  auto it = Table().find(handle);
  return it == Table().end() ? nullptr : it->second;
}
