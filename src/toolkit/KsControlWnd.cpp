#include "toolkit/KsControlWnd.h"

#include "toolkit/KsControlsWnd.h"

#include "platform/SysProcess.h"

bool KsControlWnd::Create(KsWnd* host, const RECT& rect) {
  if (Exists() || !host) return false;
  m_creatingThread = ks::sys::GetCurrentThreadId();
  m_creatingProcess = ks::sys::GetCurrentProcessId();
  SetParentWnd(host);
  m_rect = rect;
  if (auto* composite = dynamic_cast<KsCompositeWnd*>(host)) composite->AddChild(this);
  m_state = kCreated;
  return true;
}

ks::sys::DWORD KsControlWnd::GetWindowThreadId() { return GetParentWnd() ? GetParentWnd()->GetWindowThreadId() : 0; }
ks::sys::DWORD KsControlWnd::GetWindowProcessId() {
  return GetParentWnd() ? GetParentWnd()->GetWindowProcessId() : 0;
}

bool KsControlWnd::Destroy() {
  if (!Exists()) return false;
  OnDestroy();
  m_state = kNone;
  if (auto* composite = dynamic_cast<KsCompositeWnd*>(GetParentWnd())) composite->RemoveChild(this);
  Invalidate();
  return true;
}

bool KsControlWnd::Enable(bool enable) {
  if (!Exists()) return false;
  bool wasDisabled = !m_enabled;
  if (m_enabled != enable) {
    m_enabled = enable;
    OnEnable(enable);
    Invalidate();
  }
  return wasDisabled;
}

bool KsControlWnd::Show(int command) {
  if (!Exists()) return false;
  bool wasVisible = m_visible;
  m_visible = command != ks::sys::SW_HIDE;
  if (wasVisible != m_visible) Invalidate();
  return wasVisible;
}

bool KsControlWnd::SetText(const KsChar* text) {
  if (!Exists()) return false;
  m_text = text;
  Invalidate();
  return true;
}

bool KsControlWnd::GetWindowRect(RECT* rect) {
  POINT origin{m_rect.left, m_rect.top};
  if (!Exists() || !GetParentWnd() || !GetParentWnd()->ClientToScreen(&origin)) return false;
  *rect = RECT{origin.x, origin.y, origin.x + m_rect.right - m_rect.left, origin.y + m_rect.bottom - m_rect.top};
  return true;
}

bool KsControlWnd::GetClientRect(RECT* rect) {
  if (!Exists()) return false;
  *rect = RECT{0, 0, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top};
  return true;
}

bool KsControlWnd::ClientToScreen(POINT* point) {
  RECT rect{};
  if (!GetWindowRect(&rect)) return false;
  point->x += rect.left;
  point->y += rect.top;
  return true;
}

void KsControlWnd::Invalidate() {
  if (GetParentWnd()) GetParentWnd()->Invalidate();
}

void KsControlWnd::Update() {
  if (GetParentWnd()) GetParentWnd()->Update();
}

ks::sys::HWND KsControlWnd::GetLastActivePopup() {
  return GetParentWnd() ? GetParentWnd()->GetLastActivePopup() : nullptr;
}

void KsControlWnd::SetCapture() {
  if (GetParentWnd()) GetParentWnd()->SetCapture();
}

void KsControlWnd::BringToForeground() {
  if (GetParentWnd()) GetParentWnd()->BringToForeground();
}

bool KsControlWnd::MoveAndSize(const RECT& rect) {
  if (!Exists()) return false;
  m_rect = rect;
  OnSize(0, rect.right - rect.left, rect.bottom - rect.top);
  Invalidate();
  return true;
}

ks::sys::HWND KsControlWnd::GetHandle() { return GetParentWnd() ? GetParentWnd()->GetHandle() : nullptr; }

ks::sys::RECT KsControlWnd::GetFocusRect(KsCanvas&) {
  RECT client{};
  GetClientRect(&client);
  return client;
}

KsControlsWnd* KsControlWnd::GetHost() {
  for (KsWnd* parent = GetParentWnd(); parent; parent = parent->GetParentWnd()) {
    if (auto* host = dynamic_cast<KsControlsWnd*>(parent)) return host;
    if (!dynamic_cast<KsControlWnd*>(parent)) return nullptr;
  }
  return nullptr;
}

bool KsControlWnd::GetRectInHost(RECT* rect) {
  KsControlsWnd* host = GetHost();
  POINT origin{0, 0};
  if (!host || !GetWindowRect(rect) || !host->ClientToScreen(&origin)) return false;
  *rect = RECT{rect->left - origin.x, rect->top - origin.y, rect->right - origin.x, rect->bottom - origin.y};
  return true;
}

bool KsControlWnd::HasFocus() {
  KsControlsWnd* host = GetHost();
  return host && host->GetFocusControl() == this;
}

void KsControlWnd::SetFocus() {
  if (KsControlsWnd* host = GetHost()) host->SetFocusControl(this);
}

void KsControlWnd::NotifyHost(int code) {
  KsControlsWnd* host = GetHost();
  if (!host) return;
  auto wParam = ks::sys::WPARAM((unsigned(code) << 16) | (unsigned(m_commandId) & 0xFFFF));
  host->PostMessage(ks::sys::WM_COMMAND, wParam, 0);
}
