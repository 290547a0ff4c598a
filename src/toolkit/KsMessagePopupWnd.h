#pragma once
// A modal message: a title, a formatted text (line breaks as CR LF) and a row
// of buttons given by their texts, right-aligned in the order given. It
// answers the index of the button chosen, or -1 when it is closed (Esc, the
// close button, or ended from outside). Enter picks the default button; the
// focus starts on it. Without a valid default no button has the focus at
// first and Enter picks nothing.

#include "toolkit/KsFormattedTextCtrl.h"
#include "toolkit/KsPopupWnd.h"

#include <memory>
#include <vector>

class KsButtonCtrl;

class KsMessagePopupWnd : public KsPopupWnd {
 public:
  static constexpr int kFirstButtonId = 1000;

  KsMessagePopupWnd(const KsChar* title, const KsChar* text, const KsChar* const* buttons, int buttonCount,
                    int defaultButton);
  ~KsMessagePopupWnd() override;

  // Shows the message modally over owner (none: the thread's active window, if
  // it is one of the toolkit's) and answers the chosen button's index or -1.
  static int Run(const KsChar* title, const KsChar* text, const KsChar* const* buttons, int buttonCount,
                 int defaultButton, KsWnd* owner = nullptr);

  KsString GetTitle() override { return m_title; }
  void GetPreferredSize(int* width, int* height) override;
  bool CreateContent() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnSize(int type, int width, int height) override;

 private:
  bool BuildControls(ks::sys::HDC dc);
  void LayOutContent(int width, int height);

  KsString m_title;
  KsString m_text;
  std::vector<KsString> m_buttonTexts;
  int m_defaultButton;
  std::unique_ptr<KsFormattedTextCtrl> m_textCtrl;
  std::vector<std::unique_ptr<KsButtonCtrl>> m_buttons;
  int m_textHeight = 0;
  int m_preferredWidth = 0;
  int m_preferredHeight = 0;
};
