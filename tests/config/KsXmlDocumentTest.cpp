#include "config/KsXmlDocument.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "TestMachine.h"
#include "config/TestText.h"
#include "foundation/KsUtf8Decoder.h"

namespace {

using Index = KsXmlDocument::Index;

// A catalogue-like file: declaration, comment, attributes, nesting, CDATA, escapes.
constexpr char16_t kCatalogue[] =
    u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    u"<!-- file types -->\r\n"
    u"<SVFA version=\"1.0\">\r\n"
    u"  <Type Extension=\"mp3\" Mime='audio/mpeg'>\r\n"
    u"    <Description>MPEG &amp; friends</Description>\r\n"
    u"    <Icon index=\"3\"/>\r\n"
    u"  </Type>\r\n"
    u"  <Type Extension=\"flac\"><Description><![CDATA[Free <lossless>]]></Description></Type>\r\n"
    u"  <MimeAssociations>audio/*;video/*</MimeAssociations>\r\n"
    u"</SVFA>\r\n";

// Names of the elements in document order, each with its depth.
std::string Outline(const KsXmlDocument& document) {
  std::string out;
  std::vector<Index> stack;
  for (Index child = document.GetElement(0).firstChild; child != 0;) {
    const KsXmlDocument::Element& element = document.GetElement(child);
    const KsString& text = document.GetDocument();
    int nameLength = 0;
    while (nameLength + 1 < element.startTagLength &&
           std::u16string_view(u" \t\r\n/>").find(text[element.start + 1 + nameLength]) == std::u16string_view::npos) {
      ++nameLength;
    }
    out += std::string(stack.size(), '.') + Printable(text.View().substr(element.start + 1, nameLength)) + " ";
    if (element.firstChild != 0) {
      stack.push_back(child);
      child = element.firstChild;
      continue;
    }
    child = element.nextSibling;
    while (child == 0 && !stack.empty()) {
      child = document.GetElement(stack.back()).nextSibling;
      stack.pop_back();
    }
  }
  return out;
}

// Every record of a written document matches what a fresh parse of its text gives.
void ExpectSameTable(const KsXmlDocument& written) {
  KsXmlDocument parsed(written.GetDocument());
  EXPECT_EQ(Outline(written), Outline(parsed));
  std::vector<std::pair<Index, Index>> pending{{written.GetElement(0).firstChild, parsed.GetElement(0).firstChild}};
  while (!pending.empty()) {
    auto [a, b] = pending.back();
    pending.pop_back();
    for (; a != 0 && b != 0; a = written.GetElement(a).nextSibling, b = parsed.GetElement(b).nextSibling) {
      const KsXmlDocument::Element& x = written.GetElement(a);
      const KsXmlDocument::Element& y = parsed.GetElement(b);
      EXPECT_EQ(x.start, y.start);
      EXPECT_EQ(x.length, y.length);
      EXPECT_EQ(x.startTagLength, y.startTagLength);
      EXPECT_EQ(x.endTagLength, y.endTagLength);
      EXPECT_EQ(x.flags & KsXmlDocument::kFirstChild, y.flags & KsXmlDocument::kFirstChild);
      pending.push_back({x.firstChild, y.firstChild});
    }
    EXPECT_EQ(a, 0u);
    EXPECT_EQ(b, 0u);
  }
}

}  // namespace

// The result names the first problem; only a document without one is well formed.
TEST(KsXmlDocumentParse, ResultNamesTheFirstProblem) {
  struct Case {
    const char16_t* text;
    const char16_t* result;
  } cases[] = {
      {u"", u"Empty document"},
      {u"hello", u"No root element"},
      {u"<a/><b/>", u"Root element has sibling"},
      {u"<A></a>", u""},
      {u"<?xml version=\"1.0\"?><!DOCTYPE r [<!ELEMENT r ANY>]><r a='>' b=\"'\"><![CDATA[<x>]]><!-- <y> --></r>",
       u""},
      {u"<r></x></r>", u"No start tag for end tag 'x' at offset 3"},
      {u"<r><a></r>", u"End tag 'r' at offset 7 does not match start tag 'a' at offset 3"},
      {u"<r><b>x", u"Element 'b' at offset 3 not ended"},
      {u"<r><!-- open", u"Comment at offset 3 unterminated"},
      {u"<r><1/></r>", u"Incorrect tag name character at offset 3"},
      {u"<r><!-x></r>", u"Incorrect comment tag at offset 3"},
      {u"<r><![X></r>", u"Incorrect tag at offset 3"},
      {u"<r><!Q></r>", u"Incorrect ! tag at offset 3"},
      {u"<r a=\"x></r>", u"Element tag at offset 0 unterminated"},
      {u"<r></r", u"Element end tag at offset 3 unterminated"},
      {u"<r><?pi", u"Processing instruction at offset 3 unterminated"},
      {u"<r><![CDATA[x", u"CDATA Section at offset 3 unterminated"},
      {u"<!DOCTYPE r [<!ELEMENT r ANY>", u"Doctype at offset 0 unterminated"},
      {u"<r><", u"tag at offset 3 unterminated"},
      {u"<r></x><1></r>", u"No start tag for end tag 'x' at offset 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.text));
    KsXmlDocument document;
    const bool wellFormed = document.SetDocument(KsString(c.text));
    EXPECT_EQ(Printable(document.GetResult()), Printable(c.result));
    EXPECT_EQ(wellFormed, c.result[0] == 0);
  }
}

// Unended elements give their children to the element the end tag closes, in order;
// everything recognised stays navigable.
TEST(KsXmlDocumentParse, RecoversFromUnendedElements) {
  struct Case {
    const char16_t* text;
    const char* outline;
  } cases[] = {
      {u"<r><a><b><c/>t<d/></a><e/></r>", "r .a ..b ..c ..d .e "},
      {u"<r><a><b><c><d/></r>", "r .a .b .c .d "},
      {u"<r><a><b/>", "r a b "},  // at the end the root itself is not ended
      {u"<r><a></x><b/></a></r>", "r .a ..b "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.text));
    KsXmlDocument document(KsString(c.text));
    EXPECT_FALSE(document.IsWellFormed());
    EXPECT_EQ(Outline(document), c.outline);
  }
  KsXmlDocument document(KsString(u"<r><a><b>text</r>"));
  ASSERT_TRUE(document.FindNext(u"/r/b"));
  EXPECT_TRUE(document.GetElement(document.GetCurrentElement()).flags & KsXmlDocument::kNotEnded);
  EXPECT_EQ(document.GetElement(document.GetCurrentElement()).length, 3);
  EXPECT_EQ(Printable(document.GetData()), "") << "an unended element has no content";
}

// Paths: absolute with "*", "//" at any depth, predicates; names ignore case.
TEST(KsXmlDocumentNavigation, PathsFindTheFirstMatch) {
  KsXmlDocument document(KsString(
      u"<Install version=\"22\">"
      u"<Section name=\"one\"><Key>1</Key><Key>2</Key></Section>"
      u"<Section name=\"two\"><Key id=\"k\">3</Key><Deep><Key>4</Key></Deep></Section>"
      u"<MimeAssociations>m</MimeAssociations>"
      u"</Install>"));
  ASSERT_TRUE(document.IsWellFormed()) << Printable(document.GetResult());
  struct Case {
    const char16_t* path;
    bool found;
    const char16_t* data;
  } cases[] = {
      {u"/*/MimeAssociations", true, u"m"},
      {u"/Install/Missing", false, u""},
      {u"/Root/MimeAssociations", false, u""},
      {u"/install/SECTION/key", true, u"1"},
      {u"/*/Section[2]/Key", true, u"3"},
      {u"/*/Section/Key[2]", true, u"2"},
      {u"/*/Section[@name=two]/Deep/Key", true, u"4"},
      {u"/*/Section[@name='one']/Key", true, u"1"},
      {u"/*/Section[@missing]", false, u""},
      {u"/*/Section[Deep]/Key[@id]", true, u"3"},
      {u"/*/*[3]", true, u"m"},
      {u"//Deep/Key", true, u"4"},
      {u"//Key[4]", true, u"4"},
      {u"/*/Section[0]", false, u""},
      {u"/*/Section[", false, u""},
      {u"/*/Section]", false, u""},
      {u"/*//", false, u""},
      {u"Install", true, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.path));
    document.ResetPosition();
    EXPECT_EQ(document.FindNext(c.path), c.found);
    EXPECT_EQ(Printable(document.GetPathData(c.path)), Printable(c.data));
  }
}

// FindNext moves among the parent's children, FindChild within the current element;
// a failed find leaves every position as it was.
TEST(KsXmlDocumentNavigation, StepsThroughLevels) {
  KsXmlDocument document{KsString(kCatalogue)};
  ASSERT_TRUE(document.IsWellFormed()) << Printable(document.GetResult());
  EXPECT_FALSE(document.LeaveElement());
  EXPECT_FALSE(document.EnterElement());

  ASSERT_TRUE(document.FindChild(u"Type")) << "no current element: the root is selected first";
  EXPECT_EQ(Printable(document.GetNodeName()), "SVFA");
  EXPECT_TRUE(document.EnterElement());
  EXPECT_EQ(Printable(document.GetAttribute(u"EXTENSION")), "mp3");
  EXPECT_EQ(Printable(document.GetChildData(u"description")), "MPEG & friends");
  ASSERT_TRUE(document.FindChild(u"Icon", true));
  const Index icon = document.GetCurrentChild();
  EXPECT_FALSE(document.FindChild(u"Icon"));
  EXPECT_EQ(document.GetCurrentChild(), icon);
  ASSERT_TRUE(document.EnterElement());
  EXPECT_EQ(Printable(document.GetAttribute(u"index")), "3");
  ASSERT_TRUE(document.LeaveElement());
  ASSERT_TRUE(document.LeaveElement());
  EXPECT_EQ(Printable(document.GetNodeName()), "SVFA");

  ASSERT_TRUE(document.FindChild(u"Type", true));
  ASSERT_TRUE(document.FindChild(u"Type"));
  ASSERT_TRUE(document.EnterElement());
  EXPECT_EQ(Printable(document.GetAttribute(u"Extension")), "flac");
  EXPECT_EQ(Printable(document.GetChildData(u"Description")), "Free <lossless>");
  ASSERT_TRUE(document.FindNext());
  EXPECT_EQ(Printable(document.GetNodeName()), "MimeAssociations");
  EXPECT_FALSE(document.FindNext());
  EXPECT_TRUE(document.FindNext(u"/*/MimeAssociations"));
  EXPECT_EQ(Printable(document.GetData()), "audio/*;video/*");

  document.ResetPosition();
  std::string descriptions;
  while (document.FindNext(u"//Description")) descriptions += Printable(document.GetData()) + "|";
  EXPECT_EQ(descriptions, "MPEG & friends|Free <lossless>|");
}

// Stepping node by node shows every kind of node in order, with its name and data;
// element operations go on from the last element passed.
TEST(KsXmlDocumentNodes, StepsOverEveryKindOfNode) {
  KsXmlDocument document{KsString(
      u"<?xml version=\"1.0\"?>\r\n<!DOCTYPE KsIC [<!ENTITY x \"y\">]>\r\n<!-- top -->"
      u"<KsIC>a &amp; b<Key>1</Key><!--c--><?ks-hint  fast now ?><![CDATA[<raw>]]>\r\n<Last/></x>tail<Key>2</Key></KsIC>")};
  struct Expected {
    int kind;
    const char* name;
    const char* data;
  };
  const Expected top[] = {
      {KsXmlDocument::kProcessingInstructionNode, "xml", "version=\"1.0\""},
      {KsXmlDocument::kWhitespaceNode, "#text", "\r\n"},
      {KsXmlDocument::kDocumentTypeNode, "KsIC", ""},
      {KsXmlDocument::kWhitespaceNode, "#text", "\r\n"},
      {KsXmlDocument::kCommentNode, "#comment", " top "},
      {KsXmlDocument::kElementNode, "KsIC", ""},
  };
  const Expected inside[] = {
      {KsXmlDocument::kTextNode, "#text", "a & b"},
      {KsXmlDocument::kElementNode, "Key", "1"},
      {KsXmlDocument::kCommentNode, "#comment", "c"},
      {KsXmlDocument::kProcessingInstructionNode, "ks-hint", "fast now "},
      {KsXmlDocument::kCDataNode, "#cdata-section", "<raw>"},
      {KsXmlDocument::kWhitespaceNode, "#text", "\r\n"},
      {KsXmlDocument::kElementNode, "Last", ""},
      {KsXmlDocument::kLoneEndTagNode, "x", ""},
      {KsXmlDocument::kTextNode, "#text", "tail"},
      {KsXmlDocument::kElementNode, "Key", "2"},
  };
  auto walk = [&document](const auto& expected) {
    for (const Expected& node : expected) {
      SCOPED_TRACE(node.name);
      ASSERT_TRUE(document.FindNextNode());
      EXPECT_EQ(document.GetNodeKind(), node.kind);
      EXPECT_EQ(Printable(document.GetNodeName()), Printable(KsString(std::u16string(node.name, node.name + strlen(node.name)))));
      EXPECT_EQ(Printable(document.GetData()), Printable(KsString(std::u16string(node.data, node.data + strlen(node.data)))));
    }
    const KsXmlDocument::Index last = document.GetCurrentElement();
    EXPECT_FALSE(document.FindNextNode()) << "the end of the content";
    EXPECT_EQ(document.GetCurrentElement(), last);
  };
  EXPECT_EQ(document.GetNodeKind(), 0);
  walk(top);
  ASSERT_TRUE(document.EnterElement());
  walk(inside);

  auto enterRoot = [&document] {
    document.ResetPosition();
    ASSERT_TRUE(document.FindNext(u"/KsIC"));
    ASSERT_TRUE(document.EnterElement());
  };
  // Stopping on the comment after the first Key: the element operations go on from that Key.
  enterRoot();
  ASSERT_TRUE(document.FindNextNode(KsXmlDocument::kCommentNode));
  EXPECT_EQ(Printable(document.GetNodeName()), "#comment");
  ASSERT_TRUE(document.FindNext(u"Key"));
  EXPECT_EQ(document.GetNodeKind(), KsXmlDocument::kElementNode);
  EXPECT_EQ(Printable(document.GetData()), "2");

  // A write makes the current element the current node again.
  enterRoot();
  ASSERT_TRUE(document.FindNextNode(KsXmlDocument::kTextNode));
  ASSERT_TRUE(document.FindNextNode(KsXmlDocument::kTextNode));
  EXPECT_EQ(Printable(document.GetData()), "tail");
  ASSERT_TRUE(document.SetAttribute(u"n", u"1"));
  EXPECT_EQ(Printable(document.GetNodeName()), "Last");
  EXPECT_TRUE(document.FindNextNode(KsXmlDocument::kTextNode));
  EXPECT_EQ(Printable(document.GetData()), "tail");
}

// Nodes cut off by the end of the text, and markup the parser rejected, are
// still stepped over one by one without reading past the text.
TEST(KsXmlDocumentNodes, UnterminatedAndRejectedMarkup) {
  struct Case {
    const char16_t* text;
    int kind;
    const char* name;
    const char* data;
  };
  const Case cases[] = {
      {u"<r/><!-- open", KsXmlDocument::kCommentNode, "#comment", " open"},
      {u"<r/><![CDATA[x]", KsXmlDocument::kCDataNode, "#cdata-section", "x]"},
      {u"<r/><?pi", KsXmlDocument::kProcessingInstructionNode, "pi", ""},
      {u"<r/><!DOCTYPE", KsXmlDocument::kDocumentTypeNode, "", ""},
      {u"<r/><!ELEMENT r>", KsXmlDocument::kErrorNode, "", ""},
      {u"<r/><1>", KsXmlDocument::kErrorNode, "", ""},
      {u"<r/><", KsXmlDocument::kErrorNode, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.text));
    const std::u16string text(c.text);
    KsXmlDocument document{KsString(text)};
    ASSERT_TRUE(document.FindNextNode());
    EXPECT_EQ(document.GetNodeKind(), KsXmlDocument::kElementNode);
    ASSERT_TRUE(document.FindNextNode());
    EXPECT_EQ(document.GetNodeKind(), c.kind);
    EXPECT_EQ(Printable(document.GetNodeName()), Printable(KsString(std::u16string(c.name, c.name + strlen(c.name)))));
    EXPECT_EQ(Printable(document.GetData()), Printable(KsString(std::u16string(c.data, c.data + strlen(c.data)))));
    EXPECT_FALSE(document.FindNextNode());
    if (c.kind == KsXmlDocument::kErrorNode) {
      document.ResetPosition();
      EXPECT_TRUE(document.FindNextNode(KsXmlDocument::kElementNode));
      EXPECT_FALSE(document.FindNextNode(0xFF)) << "rejected markup only when every kind is asked for";
    }
  }
}

// Attribute values: either quote, bare, blanks around "=", unescaped; absent is empty.
TEST(KsXmlDocumentRead, Attributes) {
  KsXmlDocument document(
      KsString(u"<r x='1\"2' y=\"a&amp;b\" z=bare w = \"sp\" empty=\"\" flag u=\"&#x41;\" last=\"end\"/>"));
  ASSERT_TRUE(document.FindNext(u"r"));
  struct Case {
    const char16_t* name;
    const char16_t* value;
  } cases[] = {{u"x", u"1\"2"}, {u"X", u"1\"2"}, {u"y", u"a&b"}, {u"z", u"bare"}, {u"w", u"sp"},
               {u"empty", u""}, {u"flag", u""},  {u"u", u"A"},   {u"last", u"end"}, {u"missing", u""},
               {u"r", u""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.name));
    EXPECT_EQ(Printable(document.GetAttribute(c.name)), Printable(c.value));
  }
}

// Character data: entities, numeric escapes within 7 characters, CDATA raw, comments
// and processing instructions dropped, no data for an element with children.
TEST(KsXmlDocumentRead, DataIsUnescaped) {
  struct Case {
    const char16_t* content;
    const char16_t* data;
  } cases[] = {
      {u"x &amp;lt; y", u"x &lt; y"},
      {u"&#65;&#x41;&#x6a;&unknown;&amp&#;&#x;&", u"AAj&unknown;&amp&#;&#x;&"},
      {u"&lt;&gt;&apos;&quot;", u"<>'\""},
      {u"&#123456;", u"\xE240"},    // the low 16 bits
      {u"&#1234567;", u"&#1234567;"},  // ";" too far
      {u"&#65536;&#x10000;", u"&#65536;&#x10000;"},  // would be a 0 unit
      {u"t<![CDATA[<b>&amp;]]>u<!--c-->v<?p x?>w", u"t<b>&amp;uvw"},
      {u"a<b/>", u""},
      {u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Printable(c.content));
    KsXmlDocument document(KsString(u"<r>") + c.content + u"</r>");
    ASSERT_TRUE(document.FindNext(u"/r"));
    EXPECT_EQ(Printable(document.GetData()), Printable(c.data));
  }
}

// Writing inserts CR LF terminated elements and keeps the table as a reparse would build it.
TEST(KsXmlDocumentWrite, AddsElementsAndAttributes) {
  KsXmlDocument document;
  ASSERT_TRUE(document.AddElement(u"Item", u"a<b&c"));
  ASSERT_TRUE(document.SetAttribute(u"Name", u"k\"'<"));
  ASSERT_TRUE(document.AddElement(u"Item", u""));
  ASSERT_TRUE(document.SetAttribute(u"Name", u"empty"));
  ASSERT_TRUE(document.AddElement(u"Ctl", u"\x01\x02\t"));
  EXPECT_EQ(Printable(document.GetDocument()),
            Printable(u"<Item Name=\"k&quot;&apos;&lt;\">a&lt;b&amp;c</Item>\r\n"
                      u"<Item Name=\"empty\"/>\r\n"
                      u"<Ctl>&#x1;?\t</Ctl>\r\n"));
  ExpectSameTable(document);
  EXPECT_EQ(Printable(document.GetPathData(u"/Item")), "a<b&c");
  EXPECT_TRUE(document.FindNext(u"/Item[2]"));
  EXPECT_EQ(Printable(document.GetAttribute(u"name")), "empty");

  // Into an empty-element parent, then after a sibling, then in the middle.
  KsXmlDocument tree(KsString(u"<r a='1'><x/><y>t</y></r>"));
  ASSERT_TRUE(tree.FindNext(u"/r/x"));
  ASSERT_TRUE(tree.EnterElement());
  ASSERT_TRUE(tree.AddElement(u"c", u"1"));
  ASSERT_TRUE(tree.AddElement(u"d", u""));
  ASSERT_TRUE(tree.LeaveElement());
  ASSERT_TRUE(tree.AddElement(u"z", u"2"));  // after x, before y
  ASSERT_TRUE(tree.SetAttribute(u"q", u"v"));
  ASSERT_TRUE(tree.FindNext(u"/r"));
  ASSERT_TRUE(tree.SetAttribute(u"A", u"new"));  // replaces the value, either quote
  EXPECT_EQ(Printable(tree.GetDocument()),
            Printable(u"<r a=\"new\"><x>\r\n<c>1</c>\r\n<d/>\r\n</x><z q=\"v\">2</z>\r\n<y>t</y></r>"));
  ExpectSameTable(tree);
  EXPECT_EQ(Printable(tree.GetPathData(u"/r/x/d")), "");
  EXPECT_TRUE(tree.FindNext(u"/r/x/d"));
  EXPECT_EQ(Printable(tree.GetPathData(u"/r/y")), "t");
  EXPECT_EQ(Printable(tree.GetPathData(u"/r/z")), "2");

  // Into an element with an end tag and no content, and at the end of a document.
  KsXmlDocument open(KsString(u"<r></r>"));
  ASSERT_TRUE(open.FindNext(u"r") && open.EnterElement());
  ASSERT_TRUE(open.AddElement(u"a", u"1"));
  ASSERT_TRUE(open.LeaveElement());
  ASSERT_TRUE(open.AddElement(u"s", u""));
  EXPECT_EQ(Printable(open.GetDocument()), Printable(u"<r>\r\n<a>1</a>\r\n</r><s/>\r\n"));
  ExpectSameTable(open);

  EXPECT_FALSE(KsXmlDocument().SetAttribute(u"a", u"b")) << "no current element";
  EXPECT_FALSE(document.AddElement(u"", u"x"));
}

// Load reads a file through the platform seam with encoding detection; a file
// that cannot be read leaves the document as it was.
class KsXmlDocumentLoad : public TestMachine {};

TEST_F(KsXmlDocumentLoad, ReadsFilesThroughTheSeam) {
  const std::u16string path = Path(u"Install.xml");
  ASSERT_TRUE(WriteText(path, std::string("\xFF\xFE<\0r\0>\0\xE9\0<\0/\0r\0>\0", 18)));
  KsXmlDocument document;
  EXPECT_TRUE(document.Load(path.c_str()));
  EXPECT_EQ(Printable(document.GetPathData(u"/r")), "\\u00E9");
  EXPECT_FALSE(document.Load(Path(u"Missing.xml").c_str()));
  EXPECT_EQ(Printable(document.GetPathData(u"/r")), "\\u00E9");
  EXPECT_FALSE(document.Load(nullptr));
  ASSERT_TRUE(WriteText(path, "<r><a>"));
  EXPECT_FALSE(document.Load(path.c_str()));
  EXPECT_EQ(Printable(document.GetResult()), "Element 'a' at offset 3 not ended");
}

// Hostile input: every prefix of a real file, deep nesting, huge attributes,
// surrogates, garbage; each parses to a result without crashing.
TEST(KsXmlDocumentBadInput, EveryPrefixOfAFile) {
  const std::u16string_view file(kCatalogue);
  const size_t end = file.find(u"</SVFA>") + 7;
  for (size_t length = 0; length < file.size(); ++length) {
    SCOPED_TRACE(length);
    KsXmlDocument document(KsString(file.substr(0, length)));
    EXPECT_EQ(document.IsWellFormed(), length >= end);
    EXPECT_EQ(document.GetResult().IsEmpty(), length >= end) << Printable(document.GetResult());
    while (document.FindNext(u"//*")) document.GetData();
    document.GetPathData(u"/*/Type/Description");
    document.ResetPosition();
    // Node by node over the top level, then over the root's content.
    for (int level = 0; level < 2; ++level) {
      if (level == 1 && !(document.FindNext(u"/*") && document.EnterElement())) break;
      while (document.FindNextNode()) {
        document.GetNodeName();
        document.GetData();
      }
    }
  }
}

TEST(KsXmlDocumentBadInput, DeepNestingAndHugeValues) {
  constexpr int kDepth = 100000;
  std::u16string closed;
  for (int i = 0; i < kDepth; ++i) closed += u"<e>";
  std::u16string open = closed;
  for (int i = 0; i < kDepth; ++i) closed += u"</e>";
  KsXmlDocument nested(KsString(closed.c_str()));
  EXPECT_TRUE(nested.IsWellFormed()) << Printable(nested.GetResult());
  EXPECT_EQ(nested.GetRecordCount(), static_cast<std::uint32_t>(kDepth) + 1);
  int found = 0;
  while (nested.FindNext(u"//e")) ++found;
  EXPECT_EQ(found, kDepth);

  open += u"</e>";  // closes the innermost only
  KsXmlDocument unclosed(KsString(open.c_str()));
  EXPECT_EQ(Printable(unclosed.GetResult()), "Element 'e' at offset 299994 not ended");

  const std::u16string big = u"<r a=\"" + std::u16string(10 << 20, u'v') + u"\" b='x'/>";
  KsXmlDocument huge(KsString(big.c_str()));
  ASSERT_TRUE(huge.FindNext(u"r"));
  EXPECT_EQ(huge.GetAttribute(u"a").GetLength(), 10 << 20);
  EXPECT_EQ(Printable(huge.GetAttribute(u"b")), "x");
  ASSERT_TRUE(huge.SetAttribute(u"b", u"y"));
  EXPECT_EQ(Printable(huge.GetAttribute(u"b")), "y");
  KsXmlDocument unterminated(KsString(big.substr(0, big.size() - 4).c_str()));
  EXPECT_EQ(Printable(unterminated.GetResult()), "Element tag at offset 0 unterminated");
}

// Document bytes decode as DecodeText with detection does (its one-pass decoder is
// checked against the per-byte path in the foundation tests).
TEST(KsXmlDocumentEncoding, BytesDecodeAsDecodeText) {
  const std::string cases[] = {
      "<r>caf\xC3\xA9</r>",
      "<r>caf\xE9</r>",                          // not UTF-8: the ANSI code page
      std::string("<\0r\0>\0<\0/\0r\0>\0", 14),  // UTF-16 without a mark
  };
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(Printable(KsString(std::u16string(bytes.begin(), bytes.end()))));
    KsString expected;
    KsDecodeTextPerByte(expected, bytes.data(), static_cast<int>(bytes.size()), kKsEncodingDetect);
    KsXmlDocument document;
    EXPECT_TRUE(document.SetDocumentBytes(bytes.data(), static_cast<int>(bytes.size())));
    EXPECT_EQ(Printable(document.GetDocument()), Printable(expected));
  }
}

TEST(KsXmlDocumentBadInput, EncodingsAndGarbage) {
  // UTF-16 with a byte-order mark and a lone surrogate in the data.
  const char16_t units[] = u"\xFEFF<r>\xD800x</r>";
  KsXmlDocument utf16;
  EXPECT_TRUE(utf16.SetDocumentBytes(units, static_cast<int>(sizeof(units) - 2)));
  EXPECT_EQ(Printable(utf16.GetPathData(u"/r")), "\\uD800x");

  const char utf8[] = "\xEF\xBB\xBF<r a=\"\xC3\xA9\">\xE2\x82\xAC</r>";
  KsXmlDocument decoded;
  EXPECT_TRUE(decoded.SetDocumentBytes(utf8, static_cast<int>(sizeof(utf8) - 1)));
  EXPECT_EQ(Printable(decoded.GetPathData(u"/r")), "\\u20AC");
  EXPECT_EQ(Printable(decoded.GetAttribute(u"a")), "\\u00E9");

  std::mt19937 random(5);
  for (int round = 0; round < 200; ++round) {
    std::string bytes(random() % 600, '\0');
    static constexpr char kAlphabet[] = "<>/!?-[]\"'=a &#;x\0\xC3";
    for (char& b : bytes) b = kAlphabet[random() % (sizeof(kAlphabet) - 1)];
    KsXmlDocument document;
    document.SetDocumentBytes(bytes.data(), static_cast<int>(bytes.size()));
    while (document.FindNext(u"//*")) {
      document.GetData();
      document.GetAttribute(u"a");
    }
  }
}
