#pragma once
// Fixture of the platform tests: a fresh machine per test (a simulated one on
// the host), a scratch folder C:\KsTest and a scratch registry key, and a check
// that the test closed every handle it opened exactly once. Tests written
// against it call only ks::sys, so they hold for the real Windows API too.

#include "platform/SysTypes.h"

#include <gtest/gtest.h>

#include <string>

class TestMachine : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The test's scratch folder (exists, empty) and a path inside it.
  const std::u16string& Root() const { return m_root; }
  std::u16string Path(const std::u16string& name) const { return m_root + u"\\" + name; }
  // The scratch key below HKEY_CURRENT_USER (exists, empty).
  const std::u16string& KeyPath() const { return m_keyPath; }

  // Whole-file helpers through the seam.
  bool WriteText(const std::u16string& path, const std::string& text);
  std::string ReadText(const std::u16string& path);

  // Windows path of the test helper program (see child/TestChild.cpp), and of
  // a module exporting DllRegisterServer and KsAnswer.
  std::u16string ChildProgram();
  std::u16string TestModule();

  // Runs the helper with arguments and returns its exit code (-1: no start).
  long RunChild(const std::u16string& arguments, ks::sys::DWORD timeoutMs = 60000);
  // Starts a whole command line as the shell would (the program found from the
  // line) and waits for it; a failed start or a wait that times out is a test
  // failure. The exit code, or -1 when it did not start.
  long RunCommandLine(std::u16string line, ks::sys::DWORD timeoutMs = 60000);

 private:
  std::u16string m_root;
  std::u16string m_keyPath;
  std::string m_folder;
};

// Text for test messages.
std::string Narrow(const std::u16string& text);
