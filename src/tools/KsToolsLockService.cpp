#include "tools/KsToolsLockService.h"

#include "platform/SysDebug.h"
#include "platform/SysError.h"
#include "platform/SysProcess.h"
#include "platform/SysSync.h"

namespace {
constexpr KsChar kTag[] = u"Lock";
}  // namespace

std::u16string KsToolsLockService::ObjectName(const KsChar* name) {
  std::u16string text = name != nullptr ? name : u"";
  std::size_t start = 0;
  for (const char16_t* prefix : {u"Global\\", u"Local\\"}) {
    const std::u16string p = prefix;
    if (KsString(text.c_str()).StartsWith(p.c_str(), true)) start = p.size();
  }
  for (std::size_t i = start; i < text.size(); ++i) {
    if (text[i] == u'\\') text[i] = u'_';
  }
  return text;
}

bool KsToolsLockService::Lock(const KsChar* name, int timeoutMs, int) {
  if (name == nullptr || *name == 0) return false;
  const Key key{ks::sys::GetCurrentThreadId(), ObjectName(name)};
  ks::sys::HANDLE handle = nullptr;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    Held& held = m_held[key];
    if (held.count > 0) {
      ++held.count;  // the mutex is already this thread's
      return true;
    }
    if (!held.mutex) held.mutex.Reset(ks::sys::CreateMutex(nullptr, ks::sys::FALSE, key.second.c_str()));
    if (!held.mutex) {
      KsLogFormat(kKsLogError, kTag, u"Cannot create the lock %s (error %d)", name,
                  static_cast<int>(ks::sys::GetLastError()));
      m_held.erase(key);
      return false;
    }
    handle = held.mutex.Get();
  }
  const ks::sys::DWORD wait =
      ks::sys::WaitForSingleObject(handle, timeoutMs < 0 ? ks::sys::INFINITE : static_cast<ks::sys::DWORD>(timeoutMs));
  std::lock_guard<std::mutex> lock(m_mutex);
  Held& held = m_held[key];
  if (wait == ks::sys::WAIT_OBJECT_0 || wait == ks::sys::WAIT_ABANDONED) {
    if (wait == ks::sys::WAIT_ABANDONED) KsLogFormat(kKsLogWarning, kTag, u"Lock %s was abandoned", name);
    ++held.count;
    return true;
  }
  KsLogFormat(kKsLogWarning, kTag, u"Lock %s not taken within %d ms", name, timeoutMs);
  m_held.erase(key);
  return false;
}

void KsToolsLockService::Unlock(const KsChar* name) {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_held.find(Key{ks::sys::GetCurrentThreadId(), ObjectName(name)});
  if (found == m_held.end() || found->second.count == 0) {
    KsLogFormat(kKsLogWarning, kTag, u"Unlock of %s, which this thread does not hold", name != nullptr ? name : u"");
    return;
  }
  if (--found->second.count > 0) return;
  ks::sys::ReleaseMutex(found->second.mutex.Get());
  m_held.erase(found);
}

void KsToolsLockService::ReleaseAll() {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (auto& [key, held] : m_held) {
    if (key.first == ks::sys::GetCurrentThreadId()) {
      for (; held.count > 0; --held.count) ks::sys::ReleaseMutex(held.mutex.Get());
    }
  }
  m_held.clear();
}
