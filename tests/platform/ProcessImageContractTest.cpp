// The process's own image: its module handle and the error mode.

#include "TestMachine.h"

#include "platform/SysError.h"
#include "platform/SysModule.h"
#include "platform/SysProcess.h"

using namespace ks::sys;

using ProcessImageContract = TestMachine;

// SetErrorMode answers the mode it replaces.
TEST_F(ProcessImageContract, ErrorModeAnswersThePreviousMode) {
  const UINT original = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  EXPECT_EQ(SetErrorMode(SEM_FAILCRITICALERRORS), SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  EXPECT_EQ(SetErrorMode(original), SEM_FAILCRITICALERRORS);
}

// The program's own module is always there and always the same; a name the
// process has not loaded is not found.
TEST_F(ProcessImageContract, ModuleHandleOfTheProgram) {
  HMODULE own = GetModuleHandle(nullptr);
  EXPECT_NE(own, nullptr);
  EXPECT_EQ(GetModuleHandle(nullptr), own);
  SetLastError(0);
  EXPECT_EQ(GetModuleHandle(u"no-such-module-here.dll"), nullptr);
  EXPECT_EQ(GetLastError(), 126u);  // ERROR_MOD_NOT_FOUND
}
