#include "toolkit/KsPopupWnd.h"

#include "toolkit/KsWndDeleteProbe.h"

#include "foundation/KsTools.h"
#include "platform/SysError.h"

#include <algorithm>

using namespace ks::sys;

namespace {

constexpr int kDefaultWidth = 320;
constexpr int kDefaultHeight = 180;

BOOL KS_SYS_CALLBACK FindPrimary(HMONITOR monitor, HDC, RECT*, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfo(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY)) {
    *reinterpret_cast<RECT*>(data) = info.rcWork;
    return FALSE;
  }
  return TRUE;
}

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

// Why a saved placement cannot be used, or empty text when it can. Values
// from another version, a damaged store or a hand edit must not make the
// popup vanish off every screen or grow without bound.
KsString PlacementProblem(const WINDOWPLACEMENT& placement) {
  constexpr LONG kLimit = 32767;  // the coordinate range of window messages
  const RECT& rect = placement.rcNormalPosition;
  if (placement.length != sizeof(WINDOWPLACEMENT)) return KsFormat(u"length %d", int(placement.length));
  if (placement.showCmd > 11) return KsFormat(u"show command %d", int(placement.showCmd));
  if (Width(rect) <= 0 || Height(rect) <= 0) return KsString(u"empty rectangle");
  if (rect.left < -kLimit || rect.top < -kLimit || rect.right > kLimit || rect.bottom > kLimit)
    return KsString(u"rectangle out of range");
  return KsString();
}

// A layout length scaled for the screen's text size by the tools module's UI
// service; unscaled without one.
int ScaledByUi(int length) {
  IKsTools* tools = KsToolsRoot();
  IKsUIService* ui = tools ? tools->GetUIService() : nullptr;
  return ui ? ui->Scale(length) : length;
}

RECT CentredOn(const RECT& area, int width, int height) {
  int left = area.left + (area.right - area.left - width) / 2;
  int top = area.top + (area.bottom - area.top - height) / 2;
  return RECT{left, top, left + width, top + height};
}

// Moves rect inside the work area of the monitor it is mostly on; its top-left stays visible.
RECT InsideWorkArea(RECT rect) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfo(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info)) return rect;
  const RECT& work = info.rcWork;
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  int left = std::max<int>(work.left, std::min<int>(rect.left, work.right - width));
  int top = std::max<int>(work.top, std::min<int>(rect.top, work.bottom - height));
  return RECT{left, top, left + width, top + height};
}

}  // namespace

bool KsPopupWnd::CreatePopup(KsWnd* owner, int width, int height, bool unowned, bool sizeGiven) {
  m_owner = unowned ? nullptr : owner;
  DWORD style = GetResizeMode() != 0 ? (WS_THICKFRAME | WS_MAXIMIZEBOX) : HasThinBorder() ? WS_BORDER : WS_DLGFRAME;
  style |= unowned ? (WS_CLIPCHILDREN | WS_CAPTION | WS_MINIMIZEBOX) : (WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION);
  if (HasSystemMenu()) style |= WS_SYSMENU;
  KsString title = GetTitle();
  KsWndDeleteProbe probe(this);
  bool created = Create(m_owner.Get(), kClass, title, style, 0, RECT{0, 0, width, height});
  if (probe.IsDeleted() || !created) return false;
  if (sizeGiven) PlaceAndSize(width, height);
  return true;
}

void KsPopupWnd::PlaceAndSize(int width, int height) {
  if (width == 0 && height == 0) GetPreferredSize(&width, &height);
  if (width < 1 || height < 1) {
    width = ScaledByUi(kDefaultWidth);
    height = ScaledByUi(kDefaultHeight);
  }
  if (!Exists()) return;
  m_createdWidth = width;
  m_createdHeight = height;
  KsWndDeleteProbe probe(this);
  bool replaceSaved = false;
  bool restored = RestorePlacement(&width, &height, &replaceSaved);
  if (probe.IsDeleted()) return;
  if (!restored) {
    RECT area{};
    KsWnd* owner = m_owner.Get();
    if (!owner || !owner->GetWindowRect(&area) || area.right <= area.left || area.bottom <= area.top) {
      area = RECT{0, 0, 0, 0};
      EnumDisplayMonitors(nullptr, nullptr, FindPrimary, reinterpret_cast<LPARAM>(&area));
    }
    MoveAndSize(InsideWorkArea(CentredOn(area, width, height)));
    if (probe.IsDeleted()) return;
    Show(GetShowCommand());
    if (probe.IsDeleted()) return;
    if (replaceSaved) SavePlacement();
  }
  RECT actual{};
  if (!IsMaximized() && GetWindowRect(&actual) &&
      (actual.right - actual.left != width || actual.bottom - actual.top != height)) {
    KsLogFormat(0, u"Popup", u"Popup rect created (window rect was bad): coords x,y,x1,y1 %d,%d,%d,%d",
                int(actual.left), int(actual.top), int(actual.right), int(actual.bottom));
    SetWindowPos(GetHandle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
  }
  SetTimer(kForegroundTimer, 20);
}

bool KsPopupWnd::RestorePlacement(int* width, int* height, bool* replaceSaved) {
  KsString key = GetPlacementKey();
  if (key.IsEmpty()) return false;
  KsString storeName = GetPlacementStoreName();
  IKsSettingsStore* store = KsToolsSettingsStore(storeName);
  WINDOWPLACEMENT saved{};
  if (!store || !store->ReadBinary(key, &saved, int(sizeof saved))) return false;
  if (KsString problem = PlacementProblem(saved); !problem.IsEmpty()) {
    KsLogFormat(kKsLogWarning, u"Popup", u"Saved placement \"%s\" in \"%s\" is bad (%s); placed anew and replaced",
                key, storeName, problem);
    *replaceSaved = true;
    return false;
  }
  // A resizable popup takes the saved size, except the side its resize mode
  // keeps at the created size.
  RECT& normal = saved.rcNormalPosition;
  int mode = GetResizeMode();
  if (mode != 0 && RestoreSize()) {
    if (mode != 2) *width = Width(normal);
    if (mode != 3) *height = Height(normal);
  }
  normal.right = normal.left + *width;
  normal.bottom = normal.top + *height;
  // Shown only once it is inside the work area; a maximised popup stays so
  // when it may be resized at all.
  bool maximised = saved.showCmd == UINT(SW_SHOWMAXIMIZED) && GetResizeMode() != 0;
  saved.showCmd = maximised ? UINT(SW_SHOWMAXIMIZED) : UINT(SW_HIDE);
  saved.flags = 0;
  KsWndDeleteProbe probe(this);
  if (!SetWindowPlacement(GetHandle(), &saved)) {
    KsLogFormat(kKsLogWarning, u"Popup", u"Saved placement \"%s\" could not be applied (error %d)", key,
                int(GetLastError()));
    return false;
  }
  if (probe.IsDeleted()) return true;
  RECT rect{};
  if (!maximised && GetWindowRect(&rect)) {
    RECT inside = InsideWorkArea(rect);
    if (inside.left != rect.left || inside.top != rect.top) MoveAndSize(inside);
    if (probe.IsDeleted()) return true;
  }
  Show(SW_SHOW);
  return true;
}

void KsPopupWnd::SavePlacement() {
  if (!Exists() || IsMinimized()) return;
  KsString key = GetPlacementKey();
  if (key.IsEmpty()) return;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(GetHandle(), &placement)) {
    KsLogFormat(kKsLogWarning, u"Popup", u"Placement \"%s\" not saved: no placement (error %d)", key,
                int(GetLastError()));
    return;
  }
  KsString storeName = GetPlacementStoreName();
  IKsSettingsStore* store = KsToolsSettingsStore(storeName);
  if (!store || !store->WriteBinary(key, &placement, int(sizeof placement)))
    KsLogFormat(kKsLogWarning, u"Popup", u"Placement \"%s\" not saved in \"%s\"", key, storeName);
}

bool KsPopupWnd::OnTimer(UINT_PTR id) {
  if (id != kForegroundTimer) return false;
  KillTimer(kForegroundTimer);
  BringToForeground();
  return true;
}

bool KsPopupWnd::OnMinMaxInfo(MINMAXINFO* info) {
  int mode = GetResizeMode();
  if (mode == 2 && m_createdWidth > 0) info->ptMinTrackSize.x = info->ptMaxTrackSize.x = m_createdWidth;
  if (mode == 3 && m_createdHeight > 0) info->ptMinTrackSize.y = info->ptMaxTrackSize.y = m_createdHeight;
  return mode == 2 || mode == 3;
}

int KsPopupWnd::RunModal(KsWnd* owner) {
  if (!Exists() && !CreatePopup(owner, 0, 0, false, true)) return -1;
  bool wasModal = m_modal;
  m_modal = true;
  m_result = -1;
  m_ownerDisabled = false;
  KsWnd* ownerWindow = m_owner.Get();
  if (ownerWindow && ownerWindow->GetHandle() != GetDesktopWindow() && ownerWindow->IsEnabled()) {
    ownerWindow->Enable(false);
    m_ownerDisabled = true;
  }
  // The popup may be deleted by what it runs; the result is then lost and -1 answers.
  KsWndDeleteProbe probe(this);
  MSG message;
  while (!probe.IsDeleted() && Exists()) {
    BOOL got = GetMessage(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(int(message.wParam));  // the outer loop must see it too
      break;
    }
    if (got < 0) break;
    TranslateMessage(&message);
    DispatchMessage(&message);
  }
  if (probe.IsDeleted()) return -1;
  EndModalState();
  m_modal = wasModal;
  return m_result;
}

void KsPopupWnd::EndModalState() {
  if (!m_ownerDisabled) return;
  m_ownerDisabled = false;
  if (KsWnd* owner = m_owner.Get()) owner->Enable(true);
}

void KsPopupWnd::OkAction() {
  m_result = 1;
  EndModalState();
  SavePlacement();
  Destroy();
}

void KsPopupWnd::CancelAction() { PostMessage(WM_CLOSE, 0, 0); }

bool KsPopupWnd::OnClose() {
  EndModalState();
  SavePlacement();
  if (m_modal) m_result = -1;
  Destroy();
  return true;
}

bool KsPopupWnd::OnDestroy() {
  EndModalState();
  return false;
}

ks::sys::LRESULT KsPopupWnd::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kEndModalMessage) return KsControlsWnd::DefaultProcessing(message, wParam, lParam);
  m_result = int(wParam);
  EndModalState();
  SavePlacement();
  Destroy();
  return 0;
}
