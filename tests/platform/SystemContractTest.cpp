// System identity, folders, buffers and clocks.

#include "TestMachine.h"

#include "platform/SysCodePage.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysModule.h"
#include "platform/SysProcess.h"
#include "platform/SysShell.h"
#include "platform/SysSystem.h"
#include "platform/SysTime.h"

#include <string>

using namespace ks::sys;

using SystemContract = TestMachine;

// Too small a buffer: the size needed, with the terminator; else the length.
TEST_F(SystemContract, DirectoryBuffers) {
  WCHAR path[MAX_PATH];
  UINT length = GetWindowsDirectory(path, MAX_PATH);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(std::u16string(path).size(), length);
  EXPECT_EQ(GetWindowsDirectory(path, 2), length + 1);
  length = GetSystemDirectory(path, MAX_PATH);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(GetFileAttributes(path) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  length = GetTempPath(MAX_PATH, path);
  EXPECT_EQ(length, std::u16string(path).size());
  EXPECT_EQ(path[std::u16string(path).size() - 1], u'\\');
}

TEST_F(SystemContract, ModuleFileNameTruncates) {
  WCHAR path[MAX_PATH];
  DWORD length = GetModuleFileName(nullptr, path, MAX_PATH);
  ASSERT_GT(length, 3u);
  WCHAR small[4];
  EXPECT_EQ(GetModuleFileName(nullptr, small, 4), 4u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(small[3], 0);
  EXPECT_EQ(std::u16string(small), std::u16string(path, 3));
}

TEST_F(SystemContract, VersionAndIdentity) {
  OSVERSIONINFOEX version{};
  EXPECT_FALSE(GetVersionEx(&version));  // the size must be set
  version.dwOSVersionInfoSize = sizeof version;
  ASSERT_TRUE(GetVersionEx(&version));
  EXPECT_EQ(version.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_GE(version.dwMajorVersion, 5u);
  WCHAR name[64];
  DWORD size = 64;
  ASSERT_TRUE(GetUserName(name, &size));
  EXPECT_EQ(size, std::u16string(name).size() + 1);
  size = 1;
  EXPECT_FALSE(GetUserName(name, &size));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  BOOL wow64 = 2;
  EXPECT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
  EXPECT_TRUE(wow64 == TRUE || wow64 == FALSE);
}

TEST_F(SystemContract, SpecialFoldersExist) {
  for (int folder : {CSIDL_PROGRAM_FILES, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_PERSONAL,
                     CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS, CSIDL_FONTS, CSIDL_WINDOWS,
                     CSIDL_SYSTEM, CSIDL_MYMUSIC}) {
    SCOPED_TRACE(folder);
    WCHAR path[MAX_PATH];
    ASSERT_EQ(SHGetFolderPath(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
    EXPECT_TRUE(GetFileAttributes(path) & FILE_ATTRIBUTE_DIRECTORY) << Narrow(path);
    EXPECT_NE(std::u16string(path).back(), u'\\');
  }
  WCHAR path[MAX_PATH];
  EXPECT_NE(SHGetFolderPath(nullptr, 0xFF, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
}

TEST_F(SystemContract, ClocksMoveForward) {
  LARGE_INTEGER frequency{}, before{}, after{};
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_GT(frequency.QuadPart, 0);
  DWORD tick = GetTickCount();
  ASSERT_TRUE(QueryPerformanceCounter(&before));
  Sleep(20);
  ASSERT_TRUE(QueryPerformanceCounter(&after));
  EXPECT_GE(GetTickCount() - tick, 15u);
  EXPECT_GE((after.QuadPart - before.QuadPart) * 1000 / frequency.QuadPart, 15);
}

TEST_F(SystemContract, RestartNeedsTheShutdownPrivilege) {
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  ASSERT_TRUE(LookupPrivilegeValue(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid));
  privileges.Privileges[0].Attributes = 0;
  ASSERT_TRUE(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr));
  CloseHandle(token);
  LUID luid{};
  EXPECT_FALSE(LookupPrivilegeValue(nullptr, u"SeNoSuchPrivilege", &luid));
  EXPECT_EQ(GetLastError(), ERROR_NO_SUCH_PRIVILEGE);
}

TEST_F(SystemContract, CodePageConversionFailuresSetTheLastError) {
  WCHAR out[2];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, out, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, 3, out, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Without WC_NO_BEST_FIT_CHARS (0x400) characters 1252 lacks may become a
// look-alike; with it, and for characters without one, the default character.
TEST_F(SystemContract, AnsiBestFitUnlessRefused) {
  constexpr DWORD kNoBestFit = 0x400;
  struct Case {
    char16_t unit;
    DWORD flags;
    char expected;
    BOOL usedDefault;
  };
  const Case cases[] = {
      {u'\u00E9', 0, '\xE9', FALSE},          {u'\u20AC', kNoBestFit, '\x80', FALSE},
      {u'\u03A9', 0, 'O', FALSE},              {u'\u03A9', kNoBestFit, '?', TRUE},
      {u'\u0141', 0, 'L', FALSE},              {u'\u0107', 0, 'c', FALSE},
      {u'\u0110', 0, '\xD0', FALSE},          {u'\u03BC', 0, '\xB5', FALSE},
      {u'\uFF21', 0, 'A', FALSE},              {u'\u0107', kNoBestFit, '?', TRUE},
      {u'\u0416', 0, '?', TRUE},               {u'\u4E2D', 0, '?', TRUE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(int(c.unit)) + " flags " + std::to_string(c.flags));
    const WCHAR text[1] = {c.unit};
    char out[1] = {};
    BOOL usedDefault = FALSE;
    EXPECT_EQ(WideCharToMultiByte(CP_WINDOWS_1252, c.flags, text, 1, out, 1, nullptr, &usedDefault), 1);
    EXPECT_EQ(out[0], c.expected);
    EXPECT_EQ(usedDefault, c.usedDefault);
  }
}
