#pragma once
// KsStringGetLeadingCharacters: a character class for cutting text into runs
// (word selection). IsMember looks at one character of zero-terminated text
// and may look at the next one; offset is its distance from the start of the
// run. The four classes below are white space, letters, decimal digits and
// words.

#include "foundation/KsStringGlobals.h"

class KsStringGetLeadingCharacters {
 public:
  virtual bool IsMember(const KsChar* c, int offset) const = 0;

  // Length of the run of members at the start of text (zero-terminated; null is empty).
  int GetLeadingCount(const KsChar* text) const {
    if (text == nullptr) return 0;
    int count = 0;
    while (text[count] != 0 && IsMember(text + count, count)) ++count;
    return count;
  }

 protected:
  ~KsStringGetLeadingCharacters() = default;
};

class KsStringLeadingWhitespaceCharacters final : public KsStringGetLeadingCharacters {
 public:
  bool IsMember(const KsChar* c, int) const override { return KsIsSpace(*c); }
};

class KsStringLeadingAlphaCharacters final : public KsStringGetLeadingCharacters {
 public:
  bool IsMember(const KsChar* c, int) const override { return KsIsAlpha(*c); }
};

class KsStringLeadingDigitCharacters final : public KsStringGetLeadingCharacters {
 public:
  bool IsMember(const KsChar* c, int) const override { return KsIsDigit(*c); }
};

// Letters, an apostrophe inside a run before a letter (it's), and a hyphen or
// figure dash (U+2012) before a letter.
class KsStringLeadingWordCharacters final : public KsStringGetLeadingCharacters {
 public:
  bool IsMember(const KsChar* c, int offset) const override {
    if (KsIsAlpha(c[0])) return true;
    if (c[0] == u'\'' && offset > 0) return KsIsAlpha(c[1]);
    if (c[0] == u'-' || c[0] == u'\u2012') return KsIsAlpha(c[1]);
    return false;
  }
};
