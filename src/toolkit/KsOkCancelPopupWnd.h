#pragma once
// A dialog-style popup with standard bottom buttons (OK, Cancel, and on
// request Apply, Help, Left). OK ends with 1; Cancel, and closing unless the
// done flag is set, end with 2; with the done flag OK reads "Done", there is
// no Cancel, and closing counts as OK.

#include "toolkit/KsPopupBottomButtonsWnd.h"
#include "toolkit/KsPopupWnd.h"
#include "toolkit/KsTypedWndPtr.h"

#include <memory>

class KsOkCancelPopupWnd : public KsPopupWnd {
 public:
  static constexpr int kOkId = 1;
  static constexpr int kCancelId = 2;
  static constexpr int kApplyId = 101;
  static constexpr int kHelpId = 9;
  static constexpr int kLeftId = 100;
  static constexpr UINT kOkMessage = 0x889B;
  static constexpr UINT kCancelMessage = 0x889C;
  static constexpr int kDefaultSpacing = 8;
  static constexpr int kMargin = 8;

  virtual void LayOutBottomButtons();
  virtual bool HasOk() { return !m_noOk; }
  virtual bool HasCancel() { return !m_done; }
  virtual bool HasApply() { return false; }
  virtual bool HasHelp() { return false; }
  virtual bool HasLeft() { return false; }
  virtual void OnApply() {}
  virtual void OnHelp() {}
  virtual void OnLeft() {}
  void ForwardApply() { OnApply(); }
  void ForwardHelp() { OnHelp(); }
  void ForwardLeft() { OnLeft(); }

  void SetDone(bool done) { m_done = done; }
  void SetNoOk(bool noOk) { m_noOk = noOk; }
  KsPopupBottomButtonsWnd* GetBottomButtons() { return m_buttons.Get(); }
  // Height of the button row with its margins.
  static int BottomRowHeight() { return KsPopupBottomButtonsWnd::kButtonHeight + 2 * kMargin; }

  void CancelAction() override;
  bool CreateContent() override;
  bool OnClose() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnSize(int type, int width, int height) override;
  LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool m_done = false;
  bool m_noOk = false;
  std::unique_ptr<KsPopupBottomButtonsWnd> m_buttonRow;
  KsTypedWndPtr<KsPopupBottomButtonsWnd> m_buttons;
};
