#include "toolkit/KsSystemWnd.h"

#include "toolkit/KsWndDeleteProbe.h"
#include "toolkit/KsWndTable.h"

#include "platform/SysModule.h"
#include "platform/SysProcess.h"

using namespace ks::sys;

namespace {

int LowWord(std::uintptr_t value) { return int(value & 0xFFFF); }
int HighWord(std::uintptr_t value) { return int((value >> 16) & 0xFFFF); }
// Signed coordinates packed in an LPARAM, as GET_X_LPARAM and GET_Y_LPARAM read them.
POINT PointOf(LPARAM lParam) {
  return POINT{SHORT(lParam & 0xFFFF), SHORT((std::uintptr_t(lParam) >> 16) & 0xFFFF)};
}

}  // namespace

KsSystemWnd::~KsSystemWnd() {
  if (!m_handle) return;
  // Cut the window off from this object first: its last messages must not reach a half-deleted object.
  HWND handle = m_handle;
  WNDPROC adopted = m_adoptedProcedure;
  ForgetHandle();
  if (adopted) SetWindowLongPtr(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(adopted));
  else if (IsWindow(handle)) DestroyWindow(handle);
}

bool KsSystemWnd::Adopt(HWND handle) {
  if (Exists() || !IsWindow(handle) || KsWndTable::Find(handle)) return false;
  m_creatingThread = GetWindowThreadProcessId(handle, &m_creatingProcess);
  m_handle = handle;
  KsWndTable::Add(handle, this);
  m_adoptedProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtr(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&KsSystemWnd::WindowProcedure)));
  m_state = kAdopted;
  return true;
}

bool KsSystemWnd::Create(KsWnd* parent, const KsChar* className, const KsChar* title, DWORD style, DWORD exStyle,
                         const RECT& rect) {
  if (Exists()) return false;
  m_creatingThread = ks::sys::GetCurrentThreadId();
  m_creatingProcess = ks::sys::GetCurrentProcessId();
  SetParentWnd(parent);
  // The program's own classes are found through its instance (a null one
  // finds only the system's classes).
  HINSTANCE program = ks::sys::GetModuleHandle(nullptr);
  WNDCLASSEX windowClass{};
  windowClass.cbSize = sizeof windowClass;
  if (!GetClassInfoEx(program, className, &windowClass)) {
    windowClass = WNDCLASSEX{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &KsSystemWnd::WindowProcedure;
    windowClass.hInstance = program;
    windowClass.lpszClassName = className;
    RegisterClassEx(&windowClass);
  }
  m_visibleAtCreate = (style & WS_VISIBLE) != 0;
  HWND parentHandle = parent ? parent->GetHandle() : nullptr;
  KsWndDeleteProbe probe(this);
  HWND handle =
      CreateWindowEx(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                     rect.bottom - rect.top, parentHandle, nullptr, program, static_cast<KsSystemWnd*>(this));
  if (probe.IsDeleted()) return false;
  return handle && Exists();
}

bool KsSystemWnd::OnCreate() {
  m_state = kBeingCreated;
  KsWndDeleteProbe probe(this);
  bool created = CreateContent();
  if (probe.IsDeleted()) return false;
  m_state = created ? kCreated : kNone;
  return created;
}

LRESULT KsSystemWnd::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!m_handle) return 0;
  if (m_adoptedProcedure) return CallWindowProc(m_adoptedProcedure, m_handle, message, wParam, lParam);
  return DefWindowProc(m_handle, message, wParam, lParam);
}

LRESULT KS_SYS_CALLBACK KsSystemWnd::WindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  // The table, not the window's user data, leads to the object: an adopted window keeps its user data.
  KsSystemWnd* window = nullptr;
  if (message == WM_NCCREATE) {
    window = static_cast<KsSystemWnd*>(reinterpret_cast<const CREATESTRUCT*>(lParam)->lpCreateParams);
    if (window) {
      window->m_handle = handle;
      KsWndTable::Add(handle, window);
    }
  } else {
    window = static_cast<KsSystemWnd*>(KsWndTable::Find(handle));
  }
  if (!window) return DefWindowProc(handle, message, wParam, lParam);
  return window->Dispatch(message, wParam, lParam);
}

LRESULT KsSystemWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  {
    KsWndDeleteProbe probe(this);
    bool consumed = PreFilterMessage(message, wParam, lParam, &result);
    if (probe.IsDeleted() || consumed) return result;
  }
  if (message == kQueryObjectMessage) return reinterpret_cast<LRESULT>(this);
  return DispatchEvent(message, wParam, lParam);
}

// Each case calls one event operation and answers; nothing touches the object
// after a handler that may have deleted it unless a probe says it lives.
LRESULT KsSystemWnd::DispatchEvent(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  KsWndDeleteProbe probe(this);
  // Called with a handler's answer: a deleted window gets no default processing.
  auto orDefault = [&](bool handled) -> LRESULT {
    return handled || probe.IsDeleted() ? 0 : DefaultProcessing(message, wParam, lParam);
  };
  auto resultOrDefault = [&](bool handled) -> LRESULT {
    return handled || probe.IsDeleted() ? result : DefaultProcessing(message, wParam, lParam);
  };
  switch (message) {
    case WM_CREATE: {
      bool created = OnCreate();
      if (probe.IsDeleted()) return -1;
      return created ? DefaultProcessing(message, wParam, lParam) : -1;
    }
    case WM_DESTROY: return orDefault(OnDestroy());
    case WM_CLOSE: OnClose(); return 0;
    case WM_NCDESTROY: {
      OnNcDestroy();
      if (probe.IsDeleted()) return 0;
      result = DefaultProcessing(message, wParam, lParam);
      ForgetHandle();
      return result;
    }
    case WM_NCCALCSIZE: OnNcCalcSize(wParam, lParam); return 0;
    case WM_SHOWWINDOW: return orDefault(OnShow(wParam != 0));
    case WM_ENABLE: return orDefault(OnEnable(wParam != 0));
    case WM_WINDOWPOSCHANGING: return orDefault(OnPositionChanging(reinterpret_cast<void*>(lParam)));
    case WM_WINDOWPOSCHANGED: return orDefault(OnPositionChanged(reinterpret_cast<void*>(lParam)));
    case WM_TIMER:
      if (IsAlive(false)) OnTimer(wParam);
      return 0;
    case WM_PAINT: return OnPaintMessage();
    case WM_SIZE: return orDefault(OnSize(int(wParam), LowWord(std::uintptr_t(lParam)), HighWord(std::uintptr_t(lParam))));
    case WM_SIZING: return orDefault(OnSizing(int(wParam), reinterpret_cast<RECT*>(lParam)));
    case WM_MOVING: return orDefault(OnMoving(reinterpret_cast<RECT*>(lParam)));
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      int width = -1, height = -1;
      GetMinTrackSize(&width, &height);
      if (probe.IsDeleted()) return 0;
      if (width != -1) info->ptMinTrackSize.x = width;
      if (height != -1) info->ptMinTrackSize.y = height;
      return orDefault(OnMinMaxInfo(info));
    }
    case WM_MOUSEMOVE: return orDefault(OnMouseMove(PointOf(lParam), wParam));
    case WM_LBUTTONDOWN: return orDefault(OnLeftDown(PointOf(lParam), wParam));
    case WM_LBUTTONUP: return orDefault(OnLeftUp(PointOf(lParam), wParam));
    case WM_MBUTTONDOWN: return orDefault(OnMiddleDown(PointOf(lParam), wParam));
    case WM_MBUTTONUP: return orDefault(OnMiddleUp(PointOf(lParam), wParam));
    case WM_RBUTTONDOWN: return orDefault(OnRightDown(PointOf(lParam), wParam));
    case WM_RBUTTONUP: return orDefault(OnRightUp(PointOf(lParam), wParam));
    case WM_XBUTTONDOWN: return orDefault(OnExtraDown(PointOf(lParam), HighWord(wParam)));
    case WM_XBUTTONUP: return orDefault(OnExtraUp(PointOf(lParam), HighWord(wParam)));
    case WM_LBUTTONDBLCLK: return orDefault(OnLeftDoubleClick(PointOf(lParam), wParam));
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
      POINT point = PointOf(lParam);
      if (m_handle) ScreenToClient(m_handle, &point);
      int delta = SHORT(HighWord(wParam));
      return orDefault(message == WM_MOUSEWHEEL ? OnWheel(delta, point) : OnHorizontalWheel(delta, point));
    }
    case WM_CAPTURECHANGED: return orDefault(OnCaptureChanged(reinterpret_cast<HWND>(lParam)));
    case WM_NCHITTEST: return resultOrDefault(OnNcHitTest(PointOf(lParam), &result));
    case WM_NCMOUSEMOVE: return orDefault(OnNcMouseMove(int(wParam), PointOf(lParam)));
    case WM_KEYDOWN: return orDefault(OnKeyDown(wParam, lParam));
    case WM_KEYUP: return orDefault(OnKeyUp(wParam, lParam));
    case WM_CHAR: return orDefault(OnChar(wParam, lParam));
    case 0x02CB: OnMessage2CB(wParam, lParam); return 1;
    case WM_VSCROLL: return orDefault(OnVerticalScroll(LowWord(wParam), HighWord(wParam)));
    case WM_HSCROLL: return orDefault(OnHorizontalScroll(LowWord(wParam), HighWord(wParam)));
    case WM_CONTEXTMENU: return orDefault(OnContextMenu(PointOf(lParam)));
    case WM_ACTIVATEAPP: return orDefault(OnActivateApp(wParam != 0));
    case WM_ACTIVATE: return orDefault(OnActivate(LowWord(wParam)));
    case WM_NCACTIVATE: return resultOrDefault(OnNcActivate(wParam != 0, &result));
    case WM_GETFONT: return resultOrDefault(OnGetFont(&result));
    case WM_GETDLGCODE: return resultOrDefault(OnGetDialogCode(&result));
    case WM_DRAWCLIPBOARD: return orDefault(OnClipboardDraw());
    case WM_CHANGECBCHAIN:
      return orDefault(OnClipboardChainChange(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_QUERYENDSESSION: return resultOrDefault(OnQueryEndSession(&result));
    case WM_ENDSESSION: return orDefault(OnEndSession(wParam != 0));
    case WM_POWERBROADCAST: return resultOrDefault(OnPowerBroadcast(wParam, &result));
    case WM_DEVICECHANGE: return resultOrDefault(OnDeviceChange(wParam, lParam, &result));
    case WM_DISPLAYCHANGE: return orDefault(OnDisplayChange());
    case WM_SYSCOLORCHANGE: return orDefault(OnSystemColorChange());
    case WM_HOTKEY: return orDefault(OnHotKey(wParam));
    case WM_APPCOMMAND: return resultOrDefault(OnAppCommand(lParam, &result));
    case WM_SYSCOMMAND: return resultOrDefault(OnSystemCommand(wParam, lParam, &result));
    case kPostedCommandMessage: return resultOrDefault(OnPostedCommand(wParam, lParam, &result));
    case WM_TOUCH: return orDefault(OnTouch(wParam, lParam));
    case WM_GESTURE: return orDefault(OnGesture(wParam, lParam));
    case WM_COMMAND: {
      bool filtered = CommandFilter(wParam, lParam);
      if (probe.IsDeleted()) return 0;
      if (filtered || !IsAlive(false)) return DefaultProcessing(message, wParam, lParam);
      HWND control = reinterpret_cast<HWND>(lParam);
      if (HighWord(wParam) == 0x1800) return orDefault(OnCommandNotification(LowWord(wParam), control));
      return orDefault(OnCommand(LowWord(wParam), HighWord(wParam), control));
    }
    case WM_NOTIFY:
      if (!lParam) return DefaultProcessing(message, wParam, lParam);
      return resultOrDefault(OnNotify(int(wParam), reinterpret_cast<void*>(lParam), &result));
    case WM_ERASEBKGND: return resultOrDefault(OnEraseBackground(reinterpret_cast<HDC>(wParam), &result));
    case WM_SETCURSOR: return OnSetCursorMessage(wParam, lParam);
    default: return DefaultProcessing(message, wParam, lParam);
  }
}

LRESULT KsSystemWnd::OnPaintMessage() {
  PAINTSTRUCT paint{};
  HWND handle = m_handle;
  HDC dc = BeginPaint(handle, &paint);
  if (!m_painting && !m_suppressPainting) {
    m_painting = true;
    KsWndDeleteProbe probe(this);
    OnPaint(dc, paint.rcPaint);
    if (!probe.IsDeleted()) m_painting = false;
  }
  EndPaint(handle, &paint);
  return 0;
}

// A press on a window disabled by a modal popup keeps that popup in front: a
// popup not yet in front is brought there; one already in front beeps and flashes.
LRESULT KsSystemWnd::OnSetCursorMessage(WPARAM wParam, LPARAM lParam) {
  int hitTest = SHORT(LowWord(std::uintptr_t(lParam)));
  UINT mouseMessage = UINT(HighWord(std::uintptr_t(lParam)));
  bool press = mouseMessage == WM_LBUTTONDOWN || mouseMessage == WM_RBUTTONDOWN || mouseMessage == WM_MBUTTONDOWN;
  if (hitTest == HTERROR && press) {
    KsWndDeleteProbe probe(this);
    KsWnd* popup = GetLastActivePopupWnd();
    if (probe.IsDeleted()) return 0;
    if (!popup || !popup->IsEnabled()) return DefaultProcessing(WM_SETCURSOR, wParam, lParam);
    HWND popupHandle = popup->GetHandle();
    if (GetForegroundWindow() == popupHandle) {
      MessageBeep(0);
      FLASHWINFO flash{sizeof(FLASHWINFO), popupHandle, FLASHW_ALL, 3, 150};
      FlashWindowEx(&flash);
    } else {
      popup->BringToForeground();
    }
    return TRUE;
  }
  KsWndDeleteProbe probe(this);
  bool consumed = OnSetCursor(reinterpret_cast<HWND>(wParam), hitTest, mouseMessage);
  if (probe.IsDeleted() || consumed) return TRUE;
  return DefaultProcessing(WM_SETCURSOR, wParam, lParam);
}

void KsSystemWnd::ForgetHandle() {
  if (!m_handle) return;
  KsWndTable::Remove(m_handle);
  m_handle = nullptr;
  m_adoptedProcedure = nullptr;
  m_state = kNone;
}
