#pragma once
// A top-level popup: created hidden, sized and placed where it was last closed
// (a placement saved under its placement key) or else on its owner or the
// primary monitor's work area, kept inside the work area of the monitor it
// lands on; run modally, and ended with a result: -1 until set, 1 by the OK
// action, any value by message 0x889A (its WPARAM). The owner a modal run
// disabled is always enabled again before the popup is destroyed.

#include "toolkit/IKsCmdTargetEvents.h"
#include "toolkit/KsControlsWnd.h"
#include "toolkit/KsWndPtr.h"

class KsPopupWnd : public KsControlsWnd, public IKsCmdTargetEvents {
 public:
  static constexpr const char16_t* kClass = u"Kestrune Popup Class";
  static constexpr UINT kEndModalMessage = 0x889A;
  static constexpr ks::sys::UINT_PTR kForegroundTimer = 5006;

  // owner is ignored when unowned; with sizeGiven the popup is placed and shown at once.
  virtual bool CreatePopup(KsWnd* owner, int width, int height, bool unowned, bool sizeGiven);
  virtual void PlaceAndSize(int width, int height);
  virtual bool FirstQuery() { return true; }
  // 0: fixed size; 2 keeps the width, 3 the height at the created size; other values resize freely.
  virtual int GetResizeMode() { return 0; }
  virtual bool HasSystemMenu() { return true; }
  virtual bool HasThinBorder() { return false; }
  virtual KsString GetTitle() { return KsString(); }
  virtual KsString GetPlacementKey() { return KsString(); }
  virtual KsString GetPlacementStoreName() { return KsString(u"Properties"); }
  virtual bool RestoreSize() { return true; }
  virtual int GetShowCommand() { return ks::sys::SW_SHOW; }
  virtual void OkAction();
  virtual void CancelAction();
  // The size used when none is given; 0 by 0 means none.
  virtual void GetPreferredSize(int* width, int* height) {
    *width = 0;
    *height = 0;
  }

  // Creates the popup when needed (failure answers -1), then runs it until it is destroyed.
  int RunModal(KsWnd* owner);
  int GetResult() const { return m_result; }
  bool IsModal() const { return m_modal; }

  void OnCmdTargetCommand(const KsCmdRecord&) override {}
  void OnCmdTargetTimer(unsigned) override {}

  bool OnClose() override;
  bool OnDestroy() override;
  bool OnTimer(ks::sys::UINT_PTR id) override;
  bool OnMinMaxInfo(ks::sys::MINMAXINFO* info) override;
  LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) override;

 protected:
  void EndModalState();
  // Writes the window placement (44 bytes) under the placement key into the
  // placement store; nothing without a key, a window, or when minimised.
  void SavePlacement();
  void SetResult(int result) { m_result = result; }

 private:
  // Places and shows the popup from its saved placement; false when there is
  // none to use (replaceSaved is set when one was there but bad). width and
  // height become the size the popup gets.
  bool RestorePlacement(int* width, int* height, bool* replaceSaved);

  int m_result = -1;
  bool m_modal = false;
  bool m_ownerDisabled = false;
  KsWndPtr m_owner;
  int m_createdWidth = 0;
  int m_createdHeight = 0;
};
