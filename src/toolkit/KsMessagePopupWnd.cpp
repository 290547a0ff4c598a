#include "toolkit/KsMessagePopupWnd.h"

#include "toolkit/KsButtonCtrl.h"
#include "toolkit/KsCanvas.h"
#include "toolkit/KsWindowFrame.h"
#include "toolkit/KsWndTable.h"

#include "foundation/KsTools.h"
#include "platform/SysGdi.h"

#include <algorithm>

using namespace ks::sys;

namespace {

constexpr int kMargin = 12;
constexpr int kSpacing = 8;
constexpr int kMinButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kMaxTextWidth = 420;
constexpr int kMinTextWidth = 200;

}  // namespace

KsMessagePopupWnd::KsMessagePopupWnd(const KsChar* title, const KsChar* text, const KsChar* const* buttons,
                                     int buttonCount, int defaultButton)
    : m_title(title ? title : u""), m_text(text ? text : u""), m_defaultButton(defaultButton) {
  for (int i = 0; buttons && i < buttonCount; ++i) m_buttonTexts.emplace_back(buttons[i] ? buttons[i] : u"");
  if (m_defaultButton >= int(m_buttonTexts.size())) {
    KsLogFormat(1, u"Message", u"Default button %d of %d buttons does not exist", m_defaultButton,
                int(m_buttonTexts.size()));
    m_defaultButton = -1;
  }
}

KsMessagePopupWnd::~KsMessagePopupWnd() = default;

int KsMessagePopupWnd::Run(const KsChar* title, const KsChar* text, const KsChar* const* buttons, int buttonCount,
                           int defaultButton, KsWnd* owner) {
  if (!owner) owner = KsWndTable::Find(GetActiveWindow());
  KsMessagePopupWnd popup(title, text, buttons, buttonCount, defaultButton);
  KsLogFormat(2, u"Message", u"Message \"%s\"", popup.m_title.Chars());
  int result = popup.RunModal(owner);
  KsLogFormat(2, u"Message", u"Message \"%s\" answered %d", popup.m_title.Chars(), result);
  return result;
}

bool KsMessagePopupWnd::CreateContent() {
  if (!KsPopupWnd::CreateContent()) return false;
  // Measured with the window's own context: the sizes of its fonts decide the popup's size.
  HDC dc = GetDC(GetHandle());
  bool built = BuildControls(dc);
  ReleaseDC(GetHandle(), dc);
  return built;
}

bool KsMessagePopupWnd::BuildControls(HDC dc) {
  KsCanvas canvas(dc);
  m_textCtrl = std::make_unique<KsFormattedTextCtrl>();
  if (!m_textCtrl->Create(this, RECT{0, 0, kMaxTextWidth, 0})) return false;
  m_textCtrl->SetText(m_text);
  int width = 0;
  // The narrowest width up to the maximum at which the text keeps its fewest lines.
  int fullHeight = 0;
  std::vector<KsFormattedTextCtrl::Run> runs = m_textCtrl->LayOutRuns(canvas, kMaxTextWidth, &fullHeight);
  for (auto& run : runs) {
    canvas.SetBold(run.bold);
    width = std::max(width, run.x + canvas.TextWidth(run.text));
  }
  canvas.SetBold(false);
  int textWidth = std::clamp(width, kMinTextWidth, kMaxTextWidth);
  m_textCtrl->LayOutRuns(canvas, textWidth, &m_textHeight);

  int rowWidth = 0;
  for (std::size_t i = 0; i < m_buttonTexts.size(); ++i) {
    auto button = std::make_unique<KsButtonCtrl>();
    canvas.SetBold(int(i) == m_defaultButton);
    int buttonWidth = std::max(kMinButtonWidth, canvas.TextWidth(m_buttonTexts[i]) + 2 * kSpacing);
    if (!button->Create(this, RECT{0, 0, buttonWidth, kButtonHeight})) return false;
    button->SetText(m_buttonTexts[i]);
    button->SetCommandId(kFirstButtonId + int(i));
    button->SetDefault(int(i) == m_defaultButton);
    rowWidth += buttonWidth + (i ? kSpacing : 0);
    m_buttons.push_back(std::move(button));
  }
  canvas.SetBold(false);
  m_preferredWidth = std::max(textWidth, rowWidth) + 2 * kMargin;
  m_preferredHeight = kMargin + m_textHeight + kMargin + kButtonHeight + kMargin;
  // Without a default no button takes the focus either, so Enter cannot answer by accident.
  if (m_defaultButton >= 0) m_buttons[std::size_t(m_defaultButton)]->SetFocus();
  return true;
}

// The content's size is the client size; the popup's caption and frame come on top.
void KsMessagePopupWnd::GetPreferredSize(int* width, int* height) {
  *width = m_preferredWidth;
  *height = m_preferredHeight;
  KsWindowSizeForClient(this, width, height);
}

bool KsMessagePopupWnd::OnSize(int, int width, int height) {
  LayOutContent(width, height);
  return false;
}

// The text at the top, the buttons along the bottom edge from the right.
void KsMessagePopupWnd::LayOutContent(int width, int height) {
  if (m_textCtrl) m_textCtrl->MoveAndSize(RECT{kMargin, kMargin, width - kMargin, kMargin + m_textHeight});
  int right = width - kMargin;
  int top = height - kMargin - kButtonHeight;
  for (auto it = m_buttons.rbegin(); it != m_buttons.rend(); ++it) {
    RECT client{};
    (*it)->GetClientRect(&client);
    (*it)->MoveAndSize(RECT{right - client.right, top, right, top + kButtonHeight});
    right -= client.right + kSpacing;
  }
}

bool KsMessagePopupWnd::OnCommand(int id, int code, HWND control) {
  int index = id - kFirstButtonId;
  if (index >= 0 && index < int(m_buttons.size())) {
    SetResult(index);
    EndModalState();
    SavePlacement();
    Destroy();
    return true;
  }
  if (id == kIdCancel) {
    PostMessage(WM_CLOSE, 0, 0);
    return true;
  }
  return KsPopupWnd::OnCommand(id, code, control);
}
