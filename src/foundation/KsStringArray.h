#pragma once
// KsStringArray: an ordered array of KsString that owns its strings (new
// elements are empty text, removed ones release their buffers), with the text
// operations split, join, find and sort. Text arguments may be null, which
// counts as empty text.

#include "foundation/KsArray.h"
#include "foundation/KsString.h"

class KsStringArray : public KsArray<KsString, const KsString&, 0> {
 public:
  using KsArray::KsArray;

  // Replaces the items by the pieces of text between exact, non-overlapping
  // occurrences of delimiter. Empty pieces count, except one after a final
  // delimiter; empty text gives no items, and text without the delimiter (or
  // an empty delimiter) one item. trim removes white space around each
  // delimiter and at the end of the last piece.
  void Split(const KsChar* text, const KsChar* delimiter, bool trim = false);
  void Split(const KsString& text, const KsChar* delimiter, bool trim = false) {
    SplitUnits(text.Chars(), text.GetLength(), delimiter, trim);
  }
  // The items with separator between them (none after the last), last item first when reverse is set.
  KsString Join(const KsChar* separator, bool reverse = false) const;
  KsString JoinPath() const { return Join(u"\\"); }
  // Index of the first item equal to text (whole) or containing it, or -1.
  // Without whole, empty items never match.
  int Find(const KsChar* text, bool caseSensitive, bool whole) const;
  // Orders the items by the text service's CompareText in mode, on the calling thread.
  void Sort(int mode);

 private:
  void SplitUnits(const KsChar* text, int length, const KsChar* delimiter, bool trim);
};
