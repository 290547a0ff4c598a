#pragma once
// KsPropertyMap: a flat bag of named text values. Keys ignore case (the first
// spelling is kept); values are text, numbers and pointers are converted on the
// way in and out. Forms: the XML form (root "XMLPH"), the length-prefixed
// Serialize form and a plain-text dump. Reads of absent keys give the default;
// nothing reports errors except FromXML's result. Copies are made with Assign.
// The operations are virtual in a fixed order; the destructor is not virtual.

#include <cstdint>
#include <memory>

#include "foundation/KsString.h"
#include "foundation/KsStringMap.h"

class KsXmlDocument;

using KsPropertyEntries = KsStringMap<KsString, const KsChar*>;

class KsPropertyMap {
 public:
  KsPropertyMap();
  KsPropertyMap(const KsPropertyMap&) = delete;
  KsPropertyMap& operator=(const KsPropertyMap&) = delete;
  ~KsPropertyMap();

  virtual bool Exists(const KsChar* key) const;
  // The stored value, else the default (null: empty text).
  virtual KsString GetString(const KsChar* key, const KsChar* defaultValue = nullptr) const;
  // A present value that is not a number reads as 0, not as the default.
  virtual int GetInt(const KsChar* key, int defaultValue = 0) const;
  virtual double GetDouble(const KsChar* key, double defaultValue = 0) const;
  virtual std::intptr_t GetPointer(const KsChar* key, std::intptr_t defaultValue = 0) const;
  virtual void SetString(const KsChar* key, const KsChar* value, bool removeIfEmpty = false);
  virtual void SetInt(const KsChar* key, int value);
  virtual void SetPointer(const KsChar* key, std::intptr_t value);
  virtual void SetDouble(const KsChar* key, double value);
  virtual void Clear();
  virtual void Remove(const KsChar* key);
  virtual bool Assign(const KsPropertyMap& other);
  // Same count, and every value of this map equals (exactly) other's value of its key.
  virtual bool Equals(const KsPropertyMap& other) const;
  // Appends "(n:count)" and then "(n:key)(n:value)" per entry; n counts UTF-16 units.
  virtual void Serialize(KsString& out, bool includeEntries = true) const;
  // Reads what Serialize wrote from position (moved past what was read). A token
  // that does not fit the text reads as empty text.
  virtual void Deserialize(const KsString& text, int& position);
  virtual void Deserialize(const KsString& text);
  virtual KsString ToXML(const KsChar* root, bool onlyIfNotEmpty, double version) const;
  // False (map empty) when the root element is missing or its version differs.
  virtual bool FromXML(const KsString& text, const KsChar* root, double expectedVersion);
  virtual void WriteXMLItems(KsXmlDocument& document) const;
  virtual void ReadXMLItems(KsXmlDocument& document);
  virtual KsString ToText(const KsChar* prefix, const KsChar* suffix) const;

  int GetCount() const noexcept;
  // The entries in iteration order (null while the map is empty), for callers that visit them all.
  const KsPropertyEntries* GetEntries() const noexcept { return m_entries.get(); }

 private:
  std::unique_ptr<KsPropertyEntries> m_entries;  // created on the first write
};
