#pragma once
// Bodies of the configuration-data fuzz targets, shared by the libFuzzer
// executables and by the test that replays fuzz/corpus/<target>/. Each takes
// arbitrary bytes, must neither crash, hang nor read out of bounds, and returns
// false when a property that holds for every input was broken.

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "config/KsFileName.h"
#include "config/KsPropertyMap.h"
#include "config/KsXmlDocument.h"
#include "foundation/KsString.h"
#include "foundation/KsUtf8Decoder.h"

namespace ks::fuzz {

// Every record lies inside the text and starts at a "<"; the table holds what a
// reparse of the text would give for the element count.
inline bool XmlTableIsSound(const KsXmlDocument& document) {
  const KsString& text = document.GetDocument();
  if (document.GetElement(0).length != text.GetLength()) return false;
  for (KsXmlDocument::Index index = document.GetElement(0).firstChild; index != 0;) {
    const KsXmlDocument::Element& element = document.GetElement(index);
    if (element.start < 0 || element.startTagLength < 2 || element.length < element.startTagLength ||
        element.start + element.length > text.GetLength() || text[element.start] != u'<') {
      return false;
    }
    if (element.firstChild != 0) {
      index = element.firstChild;
      continue;
    }
    while (index != 0 && document.GetElement(index).nextSibling == 0) index = document.GetElement(index).parent;
    if (index != 0) index = document.GetElement(index).nextSibling;
  }
  return true;
}

// KsXmlDocument: first byte, how the rest is read (bytes through encoding
// detection, or raw UTF-16 units); second byte, the length of a path taken from
// the following bytes; the remainder is the document.
inline bool FuzzXml(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > 1 << 20) return true;
  const std::uint8_t mode = data[0];
  const std::size_t pathLength = std::min<std::size_t>(data[1] % 32, size - 2);
  KsString path;
  for (std::size_t i = 0; i < pathLength; ++i) path.AppendChar(static_cast<KsChar>(data[2 + i] & 0x7F));
  const std::uint8_t* body = data + 2 + pathLength;
  const std::size_t bodySize = size - 2 - pathLength;

  KsXmlDocument document;
  if (mode & 1) {
    std::u16string units(bodySize / 2, u'\0');
    std::memcpy(units.data(), body, units.size() * sizeof(char16_t));
    document.SetDocument(KsString(std::u16string_view(units)));
  } else {
    document.SetDocumentBytes(body, static_cast<int>(bodySize));
    KsString decoded;  // the one-pass decoding must agree with the per-byte path
    KsDecodeTextPerByte(decoded, body, static_cast<int>(bodySize), kKsEncodingDetect);
    if (decoded.View() != document.GetDocument().View()) return false;
  }
  // A problem always means not well formed (the reverse need not hold: a stray
  // "<!ELEMENT" is malformed without a message).
  if (document.IsWellFormed() && !document.GetResult().IsEmpty()) return false;
  if (!XmlTableIsSound(document)) return false;

  int steps = 0;
  while (document.FindNext(path) && ++steps < 64) {
    document.GetData();
    document.GetNodeName();
    document.GetAttribute(path);
    if (document.FindChild(nullptr, true) && document.EnterElement()) {
      document.GetData();
      document.LeaveElement();
    }
  }
  document.GetPathData(u"/*/Section/Key");
  document.ResetPosition();
  // Node by node through the top level and into each element met, which must end.
  for (int nodes = 0; nodes < 4096; ++nodes) {
    if (!document.FindNextNode(mode & 2 ? ~0 : ~KsXmlDocument::kWhitespaceNode)) {
      if (!document.EnterElement() || !document.FindNextNode()) break;
    }
    document.GetNodeName();
    document.GetData();
  }
  document.ResetPosition();
  while (document.FindNext(u"//*") && ++steps < 256) document.GetAttribute(u"a");

  if (mode & 2) {
    // Writes keep the table sound and the new element readable.
    document.ResetPosition();
    if (mode & 4) document.FindNext(path);
    if (mode & 8) document.EnterElement();
    const KsString value(path);
    if (!document.AddElement(u"New", value)) return false;
    document.SetAttribute(u"Name", value);
    document.SetAttribute(u"name", u"again");
    if (!XmlTableIsSound(document)) return false;
    if (document.GetNodeName() != u"New" || document.GetAttribute(u"Name") != u"again") return false;
  }
  return true;
}

// Text of a fuzz input, read as UTF-8 so token syntax is easy to reach.
inline KsString FuzzText(const std::uint8_t* data, std::size_t size) {
  KsString text;
  text.FromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
  return text;
}

// Deserialize of any text ends inside the text, and what it read survives a
// Serialize/Deserialize round trip unchanged.
inline bool FuzzPropertyMapDeserialize(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 20) return true;
  const KsString text = FuzzText(data, size);
  KsPropertyMap map;
  int position = size > 0 ? data[0] % 4 : 0;
  map.Deserialize(text, position);
  if (position < 0 || position > text.GetLength() + 3) return false;
  KsString serialized;
  map.Serialize(serialized);
  KsPropertyMap back;
  back.Deserialize(serialized);
  return back.Equals(map) && map.Equals(back);
}

// FromXML of any text; a map that was read survives ToXML/FromXML unless a key or
// value holds control characters, which the writer replaces by "?".
inline bool FuzzPropertyMapFromXml(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 20) return true;
  KsPropertyMap map;
  if (!map.FromXML(FuzzText(data, size), u"XMLPH", 1.0)) return map.GetCount() == 0;
  const KsString xml = map.ToXML(u"XMLPH", false, 1.0);
  KsString dump = map.ToText(u"", u"");
  for (int i = 0; i < dump.GetLength(); ++i) {
    const KsChar c = dump[i];
    if (c < 0x20 && c != u'\t' && c != u'\r' && c != u'\n' && c != 1) return true;
  }
  KsPropertyMap back;
  return back.FromXML(xml, u"XMLPH", 1.0) && back.Equals(map) && map.Equals(back);
}

// KsFileName: a cut name plus ";" and the stored tail gives the text back.
inline bool FuzzFileName(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 20) return true;
  // The name is taken as a zero-terminated text: an overlong UTF-8 "C0 80" decodes
  // to a 0 unit, which ends it.
  const KsString text(FuzzText(data, size).Chars());
  KsFileName name(text);
  if (text.CompareNoCaseN(u"<XMLFN version=", 15) == 0 && text.GetLength() >= 15) return true;
  if (!name.GetProperties().Exists(u"PostExtensionData")) return name.GetFileName() == text;
  return name.GetFileName() + u";" + name.GetProperties().GetString(u"PostExtensionData") == text;
}

}  // namespace ks::fuzz
