#include "toolkit/KsWndPtr.h"

#include "toolkit/KsBasicWnd.h"
#include "toolkit/KsWndTable.h"

void KsWndPtr::Release() {
  KsWnd* window = m_window;
  State state = m_state;
  m_window = nullptr;
  m_state = kEmpty;
  if (state == kWeak) window->RemoveDeleteProbe(this);
  else if (state == kOwned) delete window;
}

void KsWndPtr::Assign(KsWnd* window) {
  if (window == m_window && m_state != kOwned) return;
  // A foreign wrapper is not shared: each pointer owns a wrapper of its own.
  if (window && window->GetLifecycleState() == 5) {
    ks::sys::HWND handle = window->GetHandle();
    Release();
    m_window = new KsBasicWnd(handle);
    m_state = kOwned;
    return;
  }
  Release();
  if (!window) return;
  m_window = window;
  m_state = kWeak;
  window->AddDeleteProbe(this);
}

void KsWndPtr::AssignHandle(ks::sys::HWND handle) {
  if (m_window && m_window->GetHandle() == handle) return;
  KsWnd* window = KsWndTable::Find(handle);
  if (window && window->GetLifecycleState() != 5) {
    Assign(window);
    return;
  }
  Release();
  if (!handle) return;
  m_window = new KsBasicWnd(handle);
  m_state = kOwned;
}

void KsWndPtr::OnWndDeleted(KsWnd* window) {
  if (window != m_window) return;
  m_window = nullptr;
  m_state = kEmpty;
}
