#include "toolkit/KsOkCancelPopupWnd.h"

#include "toolkit/KsWndDeleteProbe.h"

#include "foundation/KsTools.h"

bool KsOkCancelPopupWnd::CreateContent() {
  m_buttonRow = std::make_unique<KsPopupBottomButtonsWnd>();
  RECT client{};
  GetClientRect(&client);
  if (!m_buttonRow->Create(this, RECT{kMargin, 0, client.right - kMargin, KsPopupBottomButtonsWnd::kButtonHeight}))
    return false;
  m_buttons = m_buttonRow.get();
  // Added left to right in the order the row shows them: Left, OK, Cancel, Apply, Help.
  if (HasLeft()) m_buttonRow->AddButton(kLeftId, KsTranslate(u"Left"));
  if (HasOk()) m_buttonRow->AddButton(kOkId, KsTranslate(m_done ? u"Done" : u"OK"));
  if (HasCancel()) m_buttonRow->AddButton(kCancelId, KsTranslate(u"Cancel"));
  if (HasApply()) m_buttonRow->AddButton(kApplyId, KsTranslate(u"Apply"));
  if (HasHelp()) m_buttonRow->AddButton(kHelpId, KsTranslate(u"Help"));
  LayOutBottomButtons();
  return true;
}

void KsOkCancelPopupWnd::LayOutBottomButtons() {
  KsPopupBottomButtonsWnd* row = m_buttons.Get();
  RECT client{};
  if (!row || !GetClientRect(&client)) return;
  int top = client.bottom - kMargin - KsPopupBottomButtonsWnd::kButtonHeight;
  row->MoveAndSize(RECT{kMargin, top, client.right - kMargin, top + KsPopupBottomButtonsWnd::kButtonHeight});
  // The UI service's spacing between bottom buttons (metric 8), else our own.
  IKsTools* tools = KsToolsRoot();
  IKsUIService* ui = tools ? tools->GetUIService() : nullptr;
  int spacing = ui ? ui->GetMetric(8) : -1;
  row->LayOutButtons(spacing >= 0 ? spacing : kDefaultSpacing, kLeftId);
}

bool KsOkCancelPopupWnd::OnSize(int, int, int) {
  LayOutBottomButtons();
  return false;
}

void KsOkCancelPopupWnd::CancelAction() {
  SetResult(2);
  EndModalState();
  SavePlacement();
  Destroy();
}

bool KsOkCancelPopupWnd::OnClose() {
  if (m_done) OkAction();
  else CancelAction();
  return true;
}

bool KsOkCancelPopupWnd::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case kOkId: OkAction(); return true;
    case kCancelId: CancelAction(); return true;
    case kApplyId: ForwardApply(); return true;
    case kHelpId: ForwardHelp(); return true;
    case kLeftId: ForwardLeft(); return true;
    default: return KsPopupWnd::OnCommand(id, code, control);
  }
}

ks::sys::LRESULT KsOkCancelPopupWnd::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kOkMessage) OkAction();
  else if (message == kCancelMessage) CancelAction();
  else return KsPopupWnd::DefaultProcessing(message, wParam, lParam);
  return 0;
}
