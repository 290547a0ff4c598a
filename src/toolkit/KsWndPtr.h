#pragma once
// A reference to a window that empties itself when the window object is
// deleted. Pointing at a foreign native window (one without a toolkit object)
// makes the pointer own a KsBasicWnd wrapper around that handle.

#include "platform/SysWindow.h"
#include "toolkit/IKsWndDeleteProbe.h"

class KsWndPtr : public IKsWndDeleteProbe {
 public:
  enum State { kEmpty = 0, kWeak = 1, kOwned = 2 };

  KsWndPtr() = default;
  KsWndPtr(KsWnd* window) { Assign(window); }  // NOLINT: as a plain pointer converts
  KsWndPtr(const KsWndPtr& other) { Assign(other.m_window); }
  KsWndPtr& operator=(const KsWndPtr& other) {
    if (this != &other) Assign(other.m_window);
    return *this;
  }
  KsWndPtr& operator=(KsWnd* window) {
    Assign(window);
    return *this;
  }
  virtual ~KsWndPtr() { Release(); }

  void Assign(KsWnd* window);
  // The toolkit object of the handle when there is one, otherwise an owned wrapper.
  void AssignHandle(ks::sys::HWND handle);
  void Release();

  KsWnd* Get() const { return m_window; }
  KsWnd* operator->() const { return m_window; }
  explicit operator bool() const { return m_window != nullptr; }
  State GetState() const { return m_state; }

  void OnWndDeleted(KsWnd* window) override;

 private:
  KsWnd* m_window = nullptr;
  State m_state = kEmpty;
};
