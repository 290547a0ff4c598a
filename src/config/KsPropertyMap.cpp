#include "config/KsPropertyMap.h"

#include <cstdint>
#include <limits>

#include "config/KsXmlDocument.h"

namespace {

void AppendToken(KsString& out, const KsChar* text, int length) {
  out.AppendChar(u'(');
  out.AppendFormat(u"%d", length);
  out.AppendChar(u':');
  out.Append(text, length);
  out.AppendChar(u')');
}

// "(" length ":" text ")" at position; anything that does not fit reads as empty
// text and leaves the position where it was.
KsString ReadToken(const KsString& text, int& position) {
  const int length = text.GetLength();
  if (position < 0 || position >= length || text[position] != u'(') return KsString();
  int p = position + 1;
  std::int64_t tokenLength = 0;
  const int digitsStart = p;
  while (p < length && text[p] >= u'0' && text[p] <= u'9') {
    tokenLength = tokenLength * 10 + (text[p] - u'0');
    if (tokenLength > length) return KsString();
    ++p;
  }
  if (p == digitsStart || p >= length || text[p] != u':') return KsString();
  const std::int64_t close = p + 1 + tokenLength;
  if (close >= length || text[static_cast<int>(close)] != u')') return KsString();
  position = static_cast<int>(close) + 1;
  return text.Mid(p + 1, static_cast<int>(tokenLength));
}

}  // namespace

KsPropertyMap::KsPropertyMap() = default;

KsPropertyMap::~KsPropertyMap() = default;

int KsPropertyMap::GetCount() const noexcept { return m_entries ? m_entries->GetCount() : 0; }

bool KsPropertyMap::Exists(const KsChar* key) const { return m_entries && m_entries->Lookup(key) != nullptr; }

KsString KsPropertyMap::GetString(const KsChar* key, const KsChar* defaultValue) const {
  if (m_entries) {
    if (const KsPropertyEntries::Node* node = m_entries->Lookup(key)) return node->value;
  }
  return KsString(defaultValue);
}

// Each typed read turns its default into the text the matching write would store
// and converts whatever GetString gives back.
int KsPropertyMap::GetInt(const KsChar* key, int defaultValue) const {
  return GetString(key, KsFormat(u"%d", defaultValue)).ToInt();
}

double KsPropertyMap::GetDouble(const KsChar* key, double defaultValue) const {
  return GetString(key, KsFormat(u"%f", defaultValue)).ToDouble();
}

std::intptr_t KsPropertyMap::GetPointer(const KsChar* key, std::intptr_t defaultValue) const {
  const std::int64_t value = GetString(key, KsFormat(u"%p", defaultValue)).HexToInt64();
  if constexpr (sizeof(std::intptr_t) < sizeof(std::int64_t)) {
    const auto bits = static_cast<std::uint64_t>(value);
    if (bits > std::numeric_limits<std::uintptr_t>::max() && value >= 0) return static_cast<std::intptr_t>(-1);
  }
  return static_cast<std::intptr_t>(value);
}

void KsPropertyMap::SetString(const KsChar* key, const KsChar* value, bool removeIfEmpty) {
  if (removeIfEmpty && (value == nullptr || *value == 0)) {
    Remove(key);
    return;
  }
  if (!m_entries) m_entries = std::make_unique<KsPropertyEntries>();
  m_entries->FindOrInsert(key)->value = value;
}

void KsPropertyMap::SetInt(const KsChar* key, int value) { SetString(key, KsFormat(u"%d", value)); }

void KsPropertyMap::SetPointer(const KsChar* key, std::intptr_t value) { SetString(key, KsFormat(u"%p", value)); }

void KsPropertyMap::SetDouble(const KsChar* key, double value) { SetString(key, KsFormat(u"%f", value)); }

void KsPropertyMap::Clear() { m_entries.reset(); }

void KsPropertyMap::Remove(const KsChar* key) {
  if (!m_entries) return;
  m_entries->RemoveKey(key);
  if (m_entries->GetCount() == 0) m_entries.reset();
}

bool KsPropertyMap::Assign(const KsPropertyMap& other) {
  if (&other == this) return true;
  m_entries.reset();
  if (other.m_entries) {
    m_entries = std::make_unique<KsPropertyEntries>();
    KsMapPosition position;
    for (auto* node = other.m_entries->GetFirst(position); node != nullptr; node = other.m_entries->GetNext(position)) {
      m_entries->FindOrInsert(node->key)->value = node->value;
    }
  }
  return true;
}

bool KsPropertyMap::Equals(const KsPropertyMap& other) const {
  if (&other == this) return true;
  if (GetCount() != other.GetCount()) return false;
  if (!m_entries) return true;
  KsMapPosition position;
  for (auto* node = m_entries->GetFirst(position); node != nullptr; node = m_entries->GetNext(position)) {
    if (other.GetString(node->key) != node->value) return false;
  }
  return true;
}

void KsPropertyMap::Serialize(KsString& out, bool includeEntries) const {
  const int count = includeEntries ? GetCount() : 0;
  const KsString countText = KsFormat(u"%d", count);
  AppendToken(out, countText, countText.GetLength());
  if (count == 0) return;
  KsMapPosition position;
  for (auto* node = m_entries->GetFirst(position); node != nullptr; node = m_entries->GetNext(position)) {
    AppendToken(out, node->key, node->key.GetLength());
    AppendToken(out, node->value, node->value.GetLength());
  }
}

void KsPropertyMap::Deserialize(const KsString& text, int& position) {
  Clear();
  const int count = ReadToken(text, position).ToInt();
  for (int i = 0; i < count; ++i) {
    const int before = position;
    const KsString key = ReadToken(text, position);
    const KsString value = ReadToken(text, position);
    SetString(key, value, false);
    // Nothing was read, so every further round would store the same empty pair:
    // stop rather than spin through a huge count.
    if (position == before) break;
  }
}

void KsPropertyMap::Deserialize(const KsString& text) {
  int position = 0;
  Deserialize(text, position);
}

KsString KsPropertyMap::ToXML(const KsChar* root, bool onlyIfNotEmpty, double version) const {
  if (onlyIfNotEmpty && GetCount() == 0) return KsString();
  KsXmlDocument document;
  WriteXMLItems(document);
  KsString xml;
  xml.Format(u"<%s version=\"%.1f\">\r\n", root, version);
  xml.Append(document.GetDocument());
  xml.AppendFormat(u"</%s>", root);
  return xml;
}

bool KsPropertyMap::FromXML(const KsString& text, const KsChar* root, double expectedVersion) {
  Clear();
  if (text.IsEmpty()) return true;
  KsXmlDocument document(text);
  if (root == nullptr || *root == 0 || !document.FindNext(root)) return false;
  if (document.GetAttribute(u"version").ToDouble() != expectedVersion) return false;
  document.EnterElement();
  ReadXMLItems(document);
  document.LeaveElement();
  return true;
}

void KsPropertyMap::WriteXMLItems(KsXmlDocument& document) const {
  if (!m_entries) return;
  KsMapPosition position;
  for (auto* node = m_entries->GetFirst(position); node != nullptr; node = m_entries->GetNext(position)) {
    document.AddElement(u"Item", node->value);
    document.SetAttribute(u"Name", node->key);
  }
}

void KsPropertyMap::ReadXMLItems(KsXmlDocument& document) {
  Clear();
  while (document.FindNext(u"Item")) SetString(document.GetAttribute(u"Name"), document.GetData(), false);
}

KsString KsPropertyMap::ToText(const KsChar* prefix, const KsChar* suffix) const {
  KsString text;
  if (!m_entries) return text;
  KsMapPosition position;
  for (auto* node = m_entries->GetFirst(position); node != nullptr; node = m_entries->GetNext(position)) {
    text.AppendFormat(u"%s%s: %s%s", prefix, node->key, node->value, suffix);
  }
  return text;
}
