#pragma once
// KsFileName: a file name with attached values, built from one text. The text is
// either the XMLFN form (an "XMLFN" element, version "1.0", whose "Item" children
// carry the file name under "Filename" and any other values), or the file name
// itself, from which a ";data" tail after a short extension is moved into the
// "PostExtensionData" value. The XMLFN form is only read, never written.

#include "config/KsPropertyMap.h"
#include "foundation/KsString.h"

class KsFileName {
 public:
  explicit KsFileName(const KsChar* text = nullptr, bool clearProperties = true);

  // Interprets text at once; the properties are cleared first when asked.
  void Set(const KsChar* text, bool clearProperties = true);

  const KsString& GetFileName() const noexcept { return m_fileName; }
  KsPropertyMap& GetProperties() noexcept { return m_properties; }
  const KsPropertyMap& GetProperties() const noexcept { return m_properties; }
  bool IsConstructed() const noexcept { return m_constructed; }

 private:
  void ReadXmlForm(const KsString& text);

  KsString m_fileName;
  KsPropertyMap m_properties;
  bool m_constructed = true;  // set on construction
};
