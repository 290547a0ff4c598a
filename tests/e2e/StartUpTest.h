#pragma once
// Fixture of the end-to-end start-ups: a fresh machine with the sample setup
// on a medium of its own, and the installer run there as its own process.

#include <string>

#include "SetupMedium.h"
#include "TestMachine.h"

class StartUpTest : public TestMachine {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs the medium's KestruneSetup.exe with arguments; answers its exit code
  // (-1: it did not start; a run longer than a minute is ended and fails).
  long RunInstaller(const std::u16string& arguments);
  // The stand-in tools module's log of the runs so far.
  std::string Log() { return ReadText(m_medium + u"Sonavel\\StubTools.log"); }
  bool OnMedium(const std::u16string& path);

  std::u16string m_medium;
};
