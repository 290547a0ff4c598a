#include "foundation/KsString.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/KsTextService.h"

namespace {

std::string Narrow(const KsChar* text) {
  std::string out;
  for (; text != nullptr && *text != 0; ++text) out += *text < 128 ? static_cast<char>(*text) : '?';
  return out;
}

int Refs(const KsString& s) { return s.Buffer()->refs.load(); }
int Capacity(const KsString& s) { return s.Buffer()->capacity; }

// Installs the in-process default service as if the tools module had supplied
// it, for the operations that only search case-insensitively with one.
class InstalledTextService {
 public:
  InstalledTextService() { SetTextService(GetTextService()); }
  ~InstalledTextService() { SetTextService(nullptr); }
};

}  // namespace

// Copies share one buffer; a change to one never shows through the other.
TEST(KsStringSharing, CopiesShareUntilChanged) {
  KsString a(u"alpha");
  KsString b = a;
  EXPECT_EQ(a.Chars(), b.Chars());
  EXPECT_EQ(Refs(a), 2);
  b.Append(u"!");
  EXPECT_NE(a.Chars(), b.Chars());
  EXPECT_EQ(a, u"alpha");
  EXPECT_EQ(b, u"alpha!");
  EXPECT_EQ(Refs(a), 1);
}

TEST(KsStringSharing, EmptyValuesUseThePermanentBuffer) {
  KsString a;
  KsString b(u"");
  KsString c(static_cast<const KsChar*>(nullptr));
  EXPECT_EQ(a.Chars(), g_ksEmptyString.header.Chars());
  EXPECT_EQ(b.Chars(), a.Chars());
  EXPECT_EQ(c.Chars(), a.Chars());
  EXPECT_EQ(Refs(a), kKsStringPermanentRefs);
  KsString d = a;  // never counted
  EXPECT_EQ(Refs(a), kKsStringPermanentRefs);
  KsString e(u"x");
  e.Empty();  // a private buffer keeps its capacity
  EXPECT_NE(e.Chars(), a.Chars());
  EXPECT_TRUE(e.IsEmpty());
  KsString f(u"y");
  KsString g = f;
  f.Empty();  // a shared one is released for the permanent buffer
  EXPECT_EQ(f.Chars(), a.Chars());
  EXPECT_EQ(g, u"y");
}

TEST(KsStringSharing, CopyWhileOpenForWritingIsIndependent) {
  KsString source(u"abc");
  KsChar* chars = source.BeginEdit();
  KsString copy = source;
  EXPECT_NE(copy.Chars(), source.Chars());
  chars[0] = u'X';
  source.EndEdit(3);
  EXPECT_EQ(copy, u"abc");
  EXPECT_EQ(source, u"Xbc");
  EXPECT_EQ(Refs(source), 1);
}

TEST(KsStringSharing, AppendingAValueToItselfDoublesIt) {
  KsString s(u"ab");
  s.Append(s);
  EXPECT_EQ(s, u"abab");
  s.Append(s.Chars() + 1, 2);
  EXPECT_EQ(s, u"ababba");
  KsString shared = s;
  s.Append(shared);
  EXPECT_EQ(s, u"ababbaababba");
  EXPECT_EQ(shared, u"ababba");
}

TEST(KsStringSharing, MoveLeavesTheSourceEmpty) {
  KsString a(u"moved");
  const KsChar* buffer = a.Chars();
  KsString b(std::move(a));
  EXPECT_EQ(b.Chars(), buffer);
  EXPECT_TRUE(a.IsEmpty());  // NOLINT(bugprone-use-after-move): moved-from is empty by contract
  a = std::move(b);
  EXPECT_EQ(a.Chars(), buffer);
}

// The edit protocol's capacities: shared buffers are copied at the exact size,
// private ones grow by the doubling rule.
TEST(KsStringEdit, CapacityRules) {
  // Drain the pool: a pooled buffer would stand in for the growth rule's size
  // when earlier tests ran in the same process.
  KsStringGlobals& manager = KsStringGlobals::Instance();
  KsChar* drained[KsStringGlobals::kPoolSlots];
  int drainedCount = 0;
  while (manager.PooledCount() > 0) drained[drainedCount++] = manager.Allocate(0, true);
  KsString s;
  s.BeginEdit(5);
  s.EndEdit(0);
  EXPECT_EQ(Capacity(s), 6);
  s.BeginEdit(5);  // fits: in place
  s.EndEdit(0);
  EXPECT_EQ(Capacity(s), 6);
  s.BeginEdit(6);
  s.EndEdit(0);
  EXPECT_EQ(Capacity(s), 9);
  s.BeginEdit(8, true);
  s.EndEdit(0);
  EXPECT_EQ(Capacity(s), 9);
  s.BeginEdit(9, true);  // exact: no rounding
  s.EndEdit(0);
  EXPECT_EQ(Capacity(s), 10);
  s.BeginEdit(1048577);
  s.EndEdit(0);
  EXPECT_EQ(Capacity(s), 2097153);
  s.BeginEdit(2097152 + 5);
  s.EndEdit(0);
  EXPECT_EQ(Capacity(s), 3145729);
  for (int i = 0; i < drainedCount; ++i) manager.Release(drained[i]);
}

TEST(KsStringEdit, KeepCarriesTheTextAndEndEditMeasures) {
  KsString s(u"hello");
  KsString other = s;
  KsChar* chars = s.BeginEdit(40, false, true);
  EXPECT_EQ(Narrow(chars), "hello");
  chars[5] = u'!';
  chars[6] = 0;
  s.EndEdit(-1);
  EXPECT_EQ(s, u"hello!");
  EXPECT_EQ(other, u"hello");
  KsChar* fresh = s.BeginEdit(3, false, false);
  fresh[0] = u'n';
  fresh[1] = u'o';
  s.EndEdit(2);
  EXPECT_EQ(s, u"no");
}

TEST(KsStringEdit, NothingToChangeMakesNoCopy) {
  KsString s(u"plain text");
  KsString copy = s;
  const KsChar* buffer = s.Chars();
  s.Trim();
  s.TrimTrailingBackslashes();
  s.MakeLower();
  EXPECT_EQ(s.Replace(u'z', u'y'), 0);
  EXPECT_EQ(s.Remove(u'z'), 0);
  EXPECT_EQ(s.Replace(u"zz", u"y"), 0);
  EXPECT_EQ(s.Chars(), buffer);
  EXPECT_EQ(Refs(s), 2);
}

// The pool keeps released buffers below capacity 1032, best fit first.
TEST(KsStringPool, SmallBuffersAreRecycledLargeOnesFreed) {
  KsStringGlobals& manager = KsStringGlobals::Instance();
  KsChar* large = manager.Allocate(1031, true);  // capacity 1032
  KsChar* small = manager.Allocate(1030, true);  // capacity 1031
  const int before = manager.PooledCount();
  manager.Release(large);
  EXPECT_EQ(manager.PooledCount(), before);
  manager.Release(small);
  if (before < KsStringGlobals::kPoolSlots) {
    EXPECT_EQ(manager.PooledCount(), before + 1);
    KsChar* again = manager.Allocate(1030, true);
    EXPECT_EQ(again, small);
    manager.Release(again);
  }
}

TEST(KsStringPool, BestFitStopsAtSmallSlack) {
  KsStringGlobals& manager = KsStringGlobals::Instance();
  // Drain the pool so the test sees only its own buffers.
  KsChar* drained[KsStringGlobals::kPoolSlots];
  int drainedCount = 0;
  while (manager.PooledCount() > 0) drained[drainedCount++] = manager.Allocate(0, true);
  KsChar* big = manager.Allocate(500, true);
  KsChar* near = manager.Allocate(40, true);
  KsChar* tight = manager.Allocate(12, true);
  manager.Release(big);
  manager.Release(near);
  manager.Release(tight);
  KsChar* got = manager.Allocate(10, true);  // slack 2 in "tight", 30 in "near"
  EXPECT_EQ(got, tight);
  KsChar* next = manager.Allocate(10, true);
  EXPECT_EQ(next, near);
  KsChar* unpooled = manager.Allocate(10, false);
  EXPECT_NE(unpooled, big);
  for (KsChar* chars : {got, next, unpooled}) manager.Release(chars);
  for (int i = 0; i < drainedCount; ++i) manager.Release(drained[i]);
}

TEST(KsStringManagerCreate, LengthAndCapacityRules) {
  KsStringGlobals& manager = KsStringGlobals::Instance();
  const KsChar text[] = u"ab\0cd";
  KsString cut;
  KsChar* c1 = manager.Create(text, 5, -1, false, false, true);  // cut at the embedded 0
  EXPECT_EQ(KsStringData::Of(c1)->length, 2);
  KsChar* c2 = manager.Create(text, 5, 3, false, true, true);  // min(length, capacity)
  EXPECT_EQ(KsStringData::Of(c2)->length, 3);
  EXPECT_EQ(manager.Create(text, 0, 0, false, true, true), manager.GetEmpty());
  KsChar* c3 = manager.Create(text, 0, 0, true, true, true);
  EXPECT_NE(c3, manager.GetEmpty());
  EXPECT_EQ(manager.AllocateZeroed(0), manager.GetEmpty());
  EXPECT_EQ(manager.FromBytes(""), manager.GetEmpty());
  KsChar* bytes = manager.FromBytes("\xE9t\xE9");
  EXPECT_EQ(bytes[0], 0xE9);
  EXPECT_EQ(KsStringData::Of(bytes)->length, 3);
  for (KsChar* chars : {c1, c2, c3, bytes}) manager.Release(chars);
}

// Case-insensitive comparison folds each unit; the result is the difference of
// the first differing folded units.
TEST(KsStringCompare, Table) {
  struct Case {
    const KsChar* a;
    const KsChar* b;
    int sign;
  } cases[] = {
      {u"Program Files", u"PROGRAM FILES", 0}, {u"abc", u"abd", -1}, {u"abd", u"ABC", 1},
      {u"ab", u"abc", -1},                     {u"abc", u"ab", 1},   {u"", u"", 0},
      {u"", nullptr, 0},                       {u"a", nullptr, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.a) + " vs " + Narrow(c.b));
    const int result = KsString(c.a).CompareNoCase(c.b);
    EXPECT_EQ((result > 0) - (result < 0), c.sign);
  }
  EXPECT_EQ(KsString(u"abcX").CompareNoCaseN(u"ABCY", 3), 0);
  EXPECT_NE(KsString(u"abcX").CompareNoCaseN(u"ABCY", 4), 0);
  EXPECT_EQ(KsString(u"a").CompareNoCaseN(u"b", 0), 0);
  EXPECT_EQ(KsString(u"b").CompareNoCase(u"a"), 1);
}

TEST(KsStringCompare, LocaleFoldsBeyondAscii) {
  KsStringGlobals& manager = KsStringGlobals::Instance();
  // The Windows C runtime names locales by code page; it has no UTF-8 one.
#if defined(_WIN32)
  ASSERT_TRUE(manager.SwitchLocale(".1252"));
#else
  ASSERT_TRUE(manager.SwitchLocale("C.UTF-8"));
#endif
  EXPECT_EQ(KsString(u"\u00C9COLE").CompareNoCase(u"\u00E9cole"), 0);  // table
  EXPECT_EQ(KsString(u"\u0416").CompareNoCase(u"\u0436"), 0);          // runtime
  EXPECT_TRUE(KsIsSpace(0x3000));
  manager.SwitchLocale("C");
}

TEST(KsStringCompare, PrefixAndSuffix) {
  const KsString s(u"C:\\Program Files\\");
  EXPECT_TRUE(s.StartsWith(u"c:\\prog", true));
  EXPECT_FALSE(s.StartsWith(u"c:\\prog", false));
  EXPECT_FALSE(s.StartsWith(u"", true));
  EXPECT_FALSE(s.StartsWith(nullptr, true));
  EXPECT_FALSE(KsString(u"ab").StartsWith(u"abc", false));
  EXPECT_EQ(s.EndsWith(u"FILES\\", true), 0);
  EXPECT_NE(s.EndsWith(u"FILES\\", false), 0);
  EXPECT_EQ(s.EndsWith(u"", false), -1);
  EXPECT_EQ(KsString(u"ab").EndsWith(u"xab", false), -1);
  EXPECT_TRUE(s.EndsWithBackslash());
  EXPECT_FALSE(KsString().EndsWithBackslash());
  EXPECT_TRUE(s.FirstCharIs(u'c'));
  EXPECT_FALSE(KsString().FirstCharIs(u'c'));
}

TEST(KsStringSearch, Positions) {
  const KsString s(u"C:\\dir/sub\\file.txt\r\nnext");
  EXPECT_EQ(s.FindChar(u'\\'), 2);
  EXPECT_EQ(s.ReverseFindChar(u'\\'), 10);
  EXPECT_EQ(s.FindChar(u'#'), -1);
  EXPECT_EQ(s.FindLineBreak(), 19);
  EXPECT_EQ(s.ReverseFindSeparator(), 10);
  EXPECT_EQ(s.ReverseFindSeparator(9), 6);
  EXPECT_EQ(s.ReverseFindSeparator(-5), 10);
  EXPECT_EQ(s.ReverseFindSeparator(1000), 10);
  EXPECT_EQ(s.Find(u"file"), 11);
  EXPECT_EQ(s.Find(u"FILE"), -1);
  EXPECT_EQ(s.Find(u"next", 20), 21);
  EXPECT_EQ(s.Find(u"nextx"), -1);
  EXPECT_EQ(s.FindNoCase(u"FILE"), 11);
  EXPECT_EQ(s.FindNoCase(u"FILE", 0, true), 15);
  EXPECT_EQ(s.FindNoCase(u"c:", 1), -1);
  EXPECT_EQ(s.FindNoCase(u"t", s.GetLength()), -1);
  EXPECT_TRUE(s.Contains(u"SUB\\F"));
  EXPECT_FALSE(s.Contains(u"subs"));
}

TEST(KsStringParts, ClampedCounts) {
  const KsString s(u"abcdef");
  struct Case {
    KsString got;
    const KsChar* want;
  } cases[] = {
      {s.Left(2), u"ab"},          {s.Left(0), u""},         {s.Left(-3), u""},        {s.Left(99), u"abcdef"},
      {s.Right(2), u"ef"},         {s.Right(99), u"abcdef"}, {s.Right(0), u""},        {s.Mid(4), u"ef"},
      {s.Mid(-2), u"abcdef"},      {s.Mid(9), u""},          {s.Mid(1, 3), u"bcd"},    {s.Mid(4, 10), u"ef"},
      {s.Mid(2, -1), u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.want));
    EXPECT_EQ(c.got, c.want);
  }
  EXPECT_EQ(s.Left(6).Chars(), s.Chars());  // the whole text is shared, not copied
  const KsString path(u"C:\\a\\b.txt");
  EXPECT_EQ(path.BeforeFirstOf(u"\\."), u"C:");
  EXPECT_EQ(path.BeforeFirstOf(u"#"), path);
  EXPECT_EQ(path.AfterLastOf(u"\\/", true), u"b.txt");
  EXPECT_EQ(path.AfterLastOf(u"#", true), path);
  EXPECT_EQ(path.AfterLastOf(u"#", false), u"");
  EXPECT_EQ(path.AfterLast(u'.', false), u"txt");
  EXPECT_EQ(path.AfterLast(u'#', false), u"");
}

TEST(KsStringEditing, InPlaceOperations) {
  KsString s(u"cdef");
  EXPECT_EQ(s.Insert(0, u"ab"), 6);
  EXPECT_EQ(s.InsertChar(6, u'g'), 7);
  EXPECT_EQ(s.Insert(99, u"zz"), 7);
  EXPECT_EQ(s.Insert(-1, u"zz"), 7);
  EXPECT_EQ(s, u"abcdefg");
  s.SetAt(0, u'A');
  s.SetAt(7, u'?');
  s.SetAt(-1, u'?');
  EXPECT_EQ(s, u"Abcdefg");
  s.SetAt(3, 0);
  EXPECT_EQ(s, u"Abc");
  s = u"a-b-c";
  EXPECT_EQ(s.Remove(u'-'), 2);
  EXPECT_EQ(s, u"abc");
  s.DeleteLeft(1);
  EXPECT_EQ(s, u"bc");
  s.DeleteLeft(5);
  EXPECT_EQ(s, u"");
  s = u"[text]";
  s.Crop(1, 1);
  EXPECT_EQ(s, u"text");
  s.Crop(2, 2);
  EXPECT_EQ(s, u"");
  s = u"0123";
  EXPECT_FALSE(s.DeleteThrough(-1));
  EXPECT_TRUE(s.DeleteThrough(1));
  EXPECT_EQ(s, u"23");
  s = u"C:\\dir\\file.txt";
  EXPECT_TRUE(s.RemoveFileName());
  EXPECT_EQ(s, u"C:\\dir\\");
  s = u"file.txt";
  EXPECT_FALSE(s.RemoveFileName());
  s = u"MiXeD \u00C0";
  s.MakeLower();
  EXPECT_EQ(s.Left(6), u"mixed ");
  s = u"a.b.c";
  EXPECT_EQ(s.Replace(u'.', u'\\'), 2);
  EXPECT_EQ(s, u"a\\b\\c");
  EXPECT_EQ(s.Replace(u'\\', u'\\'), 0);
}

TEST(KsStringEditing, Trimming) {
  struct Case {
    const KsChar* text;
    const KsChar* both;
    const KsChar* left;
    const KsChar* right;
  } cases[] = {
      {u"  a b \t\r\n", u"a b", u"a b \t\r\n", u"  a b"},
      {u"   ", u"", u"", u""},
      {u"", u"", u"", u""},
      {u"x", u"x", u"x", u"x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.text));
    KsString both(c.text), left(c.text), right(c.text);
    both.Trim();
    left.TrimLeft();
    right.TrimRight();
    EXPECT_EQ(both, c.both);
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(right, c.right);
  }
  KsString set(u"\"'quoted'\"");
  set.Trim(u"\"'");
  EXPECT_EQ(set, u"quoted");
  KsString slashes(u"//a/b//");
  slashes.TrimLeadingSlashes();
  EXPECT_EQ(slashes, u"a/b//");
  KsString backslashes(u"C:\\dir\\\\\\");
  backslashes.TrimTrailingBackslashes();
  EXPECT_EQ(backslashes, u"C:\\dir");
}

// ReplaceAll: the earliest match wins, the earlier pattern on a tie; the
// result is built once.
TEST(KsStringReplaceAll, Table) {
  const KsChar* patterns[] = {u"ab", u"a", u"bc"};
  const KsChar* replacements[] = {u"1", u"2", nullptr};
  struct Case {
    const KsChar* text;
    bool keepMatch;
    const KsChar* before;
    const KsChar* after;
    const KsChar* want;
    int hits;
  } cases[] = {
      {u"abcabc", false, nullptr, nullptr, u"1c1c", 2},
      {u"aXbc", false, nullptr, nullptr, u"2X", 2},
      {u"xyz", false, nullptr, nullptr, u"xyz", 0},
      {u"a-ab", true, u"<", u">", u"<a>-<ab>", 2},
      {u"a", false, u"[", u"]", u"[2]", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.text));
    KsString s(c.text);
    EXPECT_EQ(s.ReplaceAll(patterns, replacements, 3, true, c.keepMatch, c.before, c.after), c.hits);
    EXPECT_EQ(s, c.want);
  }
  KsString s(u"aaa");
  const KsChar* empty[] = {u"a", u""};
  EXPECT_EQ(s.ReplaceAll(empty, replacements, 2, true), 0);
  EXPECT_EQ(s.ReplaceAll(patterns, replacements, 0, true), 0);
  EXPECT_EQ(s.Replace(u"aa", u"b"), 1);
  EXPECT_EQ(s, u"ba");
}

TEST(KsStringReplaceAll, CaseInsensitiveOnlyWithTheTextService) {
  const KsChar* patterns[] = {u"%NAME%"};
  const KsChar* replacements[] = {u"Auralis"};
  KsString exact(u"%name% and %NAME%");
  EXPECT_EQ(exact.ReplaceAll(patterns, replacements, 1, false), 1);  // falls back to exact search
  EXPECT_EQ(exact, u"%name% and Auralis");
  InstalledTextService service;
  KsString folded(u"%name% and %NAME%");
  EXPECT_EQ(folded.ReplaceAll(patterns, replacements, 1, false), 2);
  EXPECT_EQ(folded, u"Auralis and Auralis");
}

// Number parsing stops at the first unusable character; overflow sticks.
TEST(KsStringNumbers, Integers) {
  struct Case {
    const KsChar* text;
    long long value32;
    long long value64;
  } cases[] = {
      {u"  -12abc", -12, -12},
      {u"+7", 7, 7},
      {u"99999999999", 2147483647, 99999999999LL},
      {u"-99999999999", -2147483647, -99999999999LL},
      {u"-2147483648", -2147483647LL - 1, -2147483648LL},
      {u"2147483648", 2147483647, 2147483648LL},
      {u"\u0661\u0662", 12, 12},
      {u"\uFF13\u0664", 34, 34},
      {u"99999999999999999999999", 2147483647, 9223372036854775807LL},
      {u"-9223372036854775808", -2147483647, -9223372036854775807LL - 1},
      {u"x1", 0, 0},
      {u"", 0, 0},
      {nullptr, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.text));
    EXPECT_EQ(KsString::ToInt(c.text), c.value32);
    EXPECT_EQ(KsString::ToInt64(c.text), c.value64);
  }
}

TEST(KsStringNumbers, Hexadecimal) {
  EXPECT_EQ(KsString::HexToInt(u"ff"), 255);
  EXPECT_EQ(KsString::HexToInt(u" 1Ag"), 26);
  EXPECT_EQ(KsString::HexToInt(u"FFFFFFFF"), -1);
  EXPECT_EQ(KsString::HexToInt(u"123456789"), -1);  // overflow: all ones
  EXPECT_EQ(KsString::HexToInt64(u"123456789"), 0x123456789LL);
  EXPECT_EQ(KsString::HexToInt64(u"10000000000000000"), -1);
  EXPECT_EQ(KsString::HexPrefixedToInt64(u"0x1F"), 31);
  EXPECT_EQ(KsString::HexPrefixedToInt64(u"0X1F"), 0);
  EXPECT_EQ(KsString::HexPrefixedToInt64(u"1F"), 31);
}

TEST(KsStringNumbers, Reals) {
  struct Case {
    const KsChar* text;
    double value;
    int used;
  } cases[] = {
      {u"1,5", 1.5, 3},   {u"1.5.3", 1.5, 3}, {u"2e3", 2000, 3},    {u" +-2.25x", -2.25, 7},
      {u"\u20123", -3, 2}, {u"1e-2", 0.01, 4}, {u"abc", 0, 0},       {u"", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.text));
    int used = -1;
    EXPECT_DOUBLE_EQ(KsString::ToDouble(c.text, &used), c.value);
    EXPECT_EQ(used, c.used);
  }
  std::u16string huge(1000, u'9');
  EXPECT_GT(KsString::ToDouble(huge.c_str(), nullptr), 1e300);
  huge = u"0." + huge + u"e99999999999";
  EXPECT_GT(KsString::ToDouble(huge.c_str(), nullptr), 1e300);
}

TEST(KsStringOperators, Concatenation) {
  const KsString a(u"C:\\");
  const KsString b(u"dir");
  EXPECT_EQ(a + b, u"C:\\dir");
  EXPECT_EQ(a + u"x", u"C:\\x");
  EXPECT_EQ(u"x" + b, u"xdir");
  EXPECT_EQ((KsString() + b).Chars(), b.Chars());
  KsString s;
  s += u"a";
  s += b;
  s += u'!';
  EXPECT_EQ(s, u"adir!");
  EXPECT_TRUE(KsString(u"same") == KsString(u"same"));
  EXPECT_FALSE(KsString(u"same") == KsString(u"Same"));
  EXPECT_EQ(KsString(u"counted text", 7), u"counted");
  EXPECT_EQ(KsString(u"ab", 10), u"ab");
}
