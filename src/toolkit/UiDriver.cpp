#include "toolkit/UiDriver.h"

#include "toolkit/KsControlWnd.h"
#include "toolkit/KsControlsWnd.h"
#include "toolkit/KsFormattedTextCtrl.h"
#include "toolkit/KsPopupBottomButtonsWnd.h"
#include "toolkit/KsWndTable.h"

#include "platform/SysGdi.h"

#if !defined(_WIN32)
#include "platform/sim/SimGdiControl.h"
#include "platform/sim/SimWindowControl.h"
#endif

#include <algorithm>

using namespace ks::sys;

namespace {

constexpr WPARAM kKeyShift = 0x10;

thread_local UiDriver* t_driver = nullptr;

LPARAM PointParam(POINT point) { return LPARAM((LONG(point.y) << 16) | (LONG(point.x) & 0xFFFF)); }

bool Same(const KsChar* wanted, const KsString& text) { return !wanted || text.Equals(wanted); }

KsString VisibleText(KsControlWnd* control) {
  if (auto* formatted = dynamic_cast<KsFormattedTextCtrl*>(control)) return formatted->GetPlainText();
  return control->GetText();
}

bool Shown(KsControlWnd* control, KsControlsWnd* host) {
  for (KsWnd* window = control; window && window != host; window = window->GetParentWnd())
    if (!window->IsVisible()) return false;
  return true;
}

#if defined(_WIN32)
void KS_SYS_CALLBACK OnDriverTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (t_driver) t_driver->RunStep();
}
#endif

}  // namespace

UiDriver::UiDriver() {
  t_driver = this;
#if defined(_WIN32)
  m_timer = SetTimer(nullptr, 0, 50, reinterpret_cast<void*>(&OnDriverTimer));
#else
  ks::sim::SetUiDriverHook([this] { return RunStep(); });
#endif
}

UiDriver::~UiDriver() {
#if defined(_WIN32)
  if (m_timer) KillTimer(nullptr, m_timer);
#else
  ks::sim::SetUiDriverHook({});
#endif
  if (t_driver == this) t_driver = nullptr;
}

KsControlsWnd* UiDriver::ActiveWindow() {
  for (HWND handle : {GetActiveWindow(), GetForegroundWindow()}) {
    if (!handle) continue;
    // The last active popup of the window holds the input while it runs modally.
    HWND popup = GetLastActivePopup(handle);
    for (HWND candidate : {popup, handle})
      if (auto* window = dynamic_cast<KsControlsWnd*>(KsWndTable::Find(candidate)))
        if (window->Exists() && window->IsVisible()) return window;
  }
  return nullptr;
}

HWND UiDriver::ActiveHandle() {
  for (HWND handle : {GetActiveWindow(), GetForegroundWindow()}) {
    if (!handle) continue;
    for (HWND candidate : {GetLastActivePopup(handle), handle})
      if (candidate && IsWindowVisible(candidate)) return candidate;
  }
  return nullptr;
}

KsControlWnd* UiDriver::Find(const KsChar* role, const KsChar* text, KsControlsWnd* window) {
  if (!window) window = ActiveWindow();
  if (!window) return nullptr;
  for (KsControlWnd* control : window->GetControls()) {
    if (!Shown(control, window)) continue;
    if (Same(role, KsString(control->GetRole())) && Same(text, VisibleText(control))) return control;
  }
  return nullptr;
}

UiDriver::ControlState UiDriver::StateOf(KsControlWnd* control) {
  ControlState state{control->GetRole(), VisibleText(control), control->IsChecked(), control->IsEnabled(),
                     control->IsVisible(), control->HasFocus(), RECT{}};
  control->GetRectInHost(&state.rect);
  return state;
}

std::vector<UiDriver::ControlState> UiDriver::Describe(KsControlsWnd* window) {
  std::vector<ControlState> states;
  if (!window) return states;
  for (KsControlWnd* control : window->GetControls()) states.push_back(StateOf(control));
  return states;
}

bool UiDriver::Click(KsControlWnd* control) {
  RECT rect{};
  KsControlsWnd* host = control ? control->GetHost() : nullptr;
  if (!host || !control->GetRectInHost(&rect)) return false;
  POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  HWND handle = host->GetHandle();
  return PostMessage(handle, WM_LBUTTONDOWN, 1, PointParam(centre)) &&
         PostMessage(handle, WM_LBUTTONUP, 0, PointParam(centre));
}

bool UiDriver::Click(const KsChar* role, const KsChar* text) {
  if (KsControlWnd* control = Find(role, text)) return Click(control);
  // The standard buttons of a popup sit in one row control.
  KsControlsWnd* window = ActiveWindow();
  if (!window || !Same(role, KsString(u"button"))) return false;
  for (KsControlWnd* control : window->GetControls()) {
    auto* row = dynamic_cast<KsPopupBottomButtonsWnd*>(control);
    if (!row || !Shown(row, window)) continue;
    for (auto& button : row->GetButtons()) {
      RECT rect{};
      if (!Same(text, button.text) || !row->GetButtonRect(button.commandId, &rect)) continue;
      POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
      return PostMessage(window->GetHandle(), WM_LBUTTONDOWN, 1, PointParam(centre)) &&
             PostMessage(window->GetHandle(), WM_LBUTTONUP, 0, PointParam(centre));
    }
  }
  return false;
}

bool UiDriver::PressKey(WPARAM key, bool shift) {
  HWND handle = ActiveHandle();
  if (!handle) return false;
  if (shift) PostMessage(handle, WM_KEYDOWN, kKeyShift, 1);
  PostMessage(handle, WM_KEYDOWN, key, 1);
  PostMessage(handle, WM_KEYUP, key, LPARAM(0xC0000001u));
  if (shift) PostMessage(handle, WM_KEYUP, kKeyShift, LPARAM(0xC0000001u));
  return true;
}

bool UiDriver::Type(const KsChar* text) {
  HWND handle = ActiveHandle();
  if (!handle || !text) return false;
  for (const KsChar* c = text; *c; ++c) PostMessage(handle, WM_CHAR, WPARAM(*c), 1);
  return true;
}

std::u16string UiDriver::Render(KsWnd* window, bool terminalBold) {
  std::u16string out;
  if (!window || !window->Exists()) return out;
#if defined(_WIN32)
  auto* host = dynamic_cast<KsControlsWnd*>(window);
  out = std::u16string(window->GetText().View()) + u"\n";
  for (const ControlState& state : Describe(host)) {
    if (!state.visible) continue;
    out += std::u16string(state.role.View()) + u" \"" + std::u16string(state.text.View()) + u"\"";
    if (state.checked) out += u" checked";
    if (!state.enabled) out += u" disabled";
    if (state.focused) out += u" focused";
    out += u"\n";
  }
  return out;
#else
  return RenderHandle(window->GetHandle(), terminalBold);
#endif
}

std::u16string UiDriver::RenderHandle(HWND handle, bool terminalBold) {
  std::u16string out;
#if defined(_WIN32)
  (void)handle, (void)terminalBold;
  return out;
#else
  if (!handle || !IsWindow(handle)) return out;
  InvalidateRect(handle, nullptr, TRUE);
  UpdateWindow(handle);
  std::vector<std::u16string> lines;
  std::size_t width = 0;
  for (auto& row : ks::sim::ReadSurface(handle)) {
    std::u16string line;
    bool bold = false;
    for (auto& cell : row) {
      if (terminalBold && cell.bold != bold) line += cell.bold ? u"\x1b[1m" : u"\x1b[0m";
      bold = cell.bold;
      line += cell.character;
    }
    if (bold) line += u"\x1b[0m";
    width = std::max(width, row.size());
    lines.push_back(std::move(line));
  }
  if (GetParent(handle) && !(GetWindowLongPtr(handle, GWL_STYLE) & WS_POPUP)) {
    for (auto& line : lines) {
      line.erase(line.find_last_not_of(u' ') + 1);
      out += line + u"\n";
    }
    return out;
  }
  // A top-level window: framed, its title in the top edge.
  std::u16string title(std::size_t(std::max(0, GetWindowTextLength(handle))) + 1, u'\0');
  title.resize(std::size_t(std::max(0, GetWindowText(handle, title.data(), int(title.size())))));
  std::u16string top = u"+-";
  if (!title.empty()) top += u" " + title.substr(0, width > 4 ? width - 4 : 0) + u" ";
  while (top.size() < width + 1) top += u'-';
  out += top + u"+\n";
  for (auto& line : lines) out += u"|" + line + u"|\n";  // every row is the grid's full width
  out += u"+" + std::u16string(width, u'-') + u"+\n";
  return out;
#endif
}

void UiDriver::Then(std::function<bool()> step) { m_steps.push_back(std::move(step)); }

void UiDriver::ThenDo(std::function<void()> action) {
  Then([action = std::move(action)] {
    action();
    return true;
  });
}

void UiDriver::ClickWhenShown(const KsChar* title, const KsChar* role, const KsChar* text) {
  KsString wantedTitle(title), wantedRole(role), wantedText(text);
  bool anyRole = !role, anyText = !text;
  Then([=] {
    KsControlsWnd* window = ActiveWindow();
    if (!window || !window->GetText().Equals(wantedTitle)) return false;
    return Click(anyRole ? nullptr : wantedRole.Chars(), anyText ? nullptr : wantedText.Chars());
  });
}

void UiDriver::WaitForWindow(const KsChar* title) {
  KsString wanted(title);
  Then([wanted] {
    KsControlsWnd* window = ActiveWindow();
    return window && window->GetText().Equals(wanted);
  });
}

void UiDriver::WaitForText(const KsChar* text) {
  std::u16string wanted(text);
  Then([wanted] {
    KsControlsWnd* window = ActiveWindow();
    return window && Render(window).find(wanted) != std::u16string::npos;
  });
}

bool UiDriver::RunStep() {
  if (m_steps.empty()) return false;
  // A copy: the step may add steps or delete windows.
  std::function<bool()> step = m_steps.front();
  if (!step()) {
    if (++m_idleRounds < m_patience) return false;
    // What the step waits for is not coming: end the run rather than wait for ever.
    m_failed = true;
    m_steps.clear();
    if (KsControlsWnd* window = ActiveWindow()) window->PostMessage(WM_CLOSE, 0, 0);
    return true;
  }
  m_idleRounds = 0;
  if (!m_steps.empty()) m_steps.pop_front();
  return true;
}
