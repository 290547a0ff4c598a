#pragma once
// The text service: case-insensitive search and collation. The tools module
// supplies it at start-up; until then an in-process default answers, which
// folds case with the string manager's tables and orders by folded code units.

#include "foundation/KsStringGlobals.h"

class IKsTextService {
 public:
  static constexpr int kFindNoCase = 3;  // the only search mode the system uses
  static constexpr int kCompareNoCase = 1;  // sort mode bit: ignore case

  // Position of the first match of pattern in text, or -1. An empty pattern
  // matches at 0.
  virtual int FindText(const KsChar* text, const KsChar* pattern, int mode) = 0;
  // Negative, 0 or positive. length -1: the whole texts.
  virtual int CompareText(const KsChar* a, const KsChar* b, int mode, int flags, int length) = 0;

 protected:
  ~IKsTextService() = default;
};

// The service in force: the installed one, else the in-process default.
IKsTextService* GetTextService() noexcept;
// Installs the tools module's service (null goes back to the default).
void SetTextService(IKsTextService* service) noexcept;
// True while a service is installed (the tools module is loaded).
bool HasInstalledTextService() noexcept;
