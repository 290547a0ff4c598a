#pragma once
// A settings store of the tools module kept in memory: text values are kept,
// numbers and binary values are refused (their reads give the default).

#include <map>
#include <string>

#include "foundation/KsTools.h"

class FakeSettingsStore final : public IKsSettingsStore {
 public:
  std::int64_t ReadNumber(const KsChar*, std::int64_t defaultValue) override { return defaultValue; }
  bool WriteNumber(const KsChar*, std::int64_t) override { return false; }
  KsString ReadText(const KsChar* name, const KsChar* defaultValue) override {
    auto it = values.find(name);
    return it != values.end() ? KsString(std::u16string_view(it->second)) : KsString(defaultValue);
  }
  bool WriteText(const KsChar* name, const KsChar* value) override {
    values[name] = value;
    return true;
  }
  bool ReadBinary(const KsChar*, void*, int) override { return false; }
  bool WriteBinary(const KsChar*, const void*, int) override { return false; }
  bool DeleteValue(const KsChar* name) override { return values.erase(name) > 0; }
  bool DeleteSubkey(const KsChar*) override { return false; }
  bool RemoveAllValues() override { return false; }
  bool RemoveAllSubkeys() override { return false; }
  KsString GetStorePath() override { return KsString(); }

  std::map<std::u16string, std::u16string> values;
};
