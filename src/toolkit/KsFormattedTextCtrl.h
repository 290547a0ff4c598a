#pragma once
// Text with a little markup: "<b>" and "</b>" switch bold on and off, a line
// feed (alone or after a carriage return) or "<br>" breaks the line, a tab
// moves to the next tab stop (every four average characters). Words wrap at
// the control's width; a word wider than the line is cut where it overflows.
// Any other "<" is shown as it stands. GetText answers the text with its markup.

#include "toolkit/KsControlWnd.h"

#include <vector>

class KsFormattedTextCtrl : public KsControlWnd {
 public:
  // A piece of text drawn in one font at one place, in client coordinates.
  struct Run {
    KsString text;
    bool bold;
    int x;
    int y;
  };

  const KsChar* GetRole() override { return u"formattedtext"; }
  void Paint(KsCanvas& canvas) override;

  // The runs as drawn at width; *height receives the height the text needs.
  std::vector<Run> LayOutRuns(KsCanvas& canvas, int width, int* height);
  // The text without markup, line breaks as "\n" and tabs as they stand.
  KsString GetPlainText();
};
