// Threads, waits on several objects, and the system entries looked up by name.

#include "TestMachine.h"

#include "platform/SysError.h"
#include "platform/SysModule.h"
#include "platform/SysProcess.h"
#include "platform/SysSync.h"
#include "platform/SysSystem.h"
#include "platform/SysDebug.h"
#include "platform/SysThread.h"

#include <atomic>

using namespace ks::sys;

class ThreadContract : public TestMachine {};

namespace {
std::atomic<int> g_runs{0};
DWORD CountAndAnswer(void* parameter) {
  ++g_runs;
  return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(parameter));
}
}  // namespace

// A suspended thread runs only once resumed; its handle is signalled at its end
// and keeps the exit code.
TEST_F(ThreadContract, SuspendedThreadRunsAfterResume) {
  g_runs = 0;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, &CountAndAnswer, reinterpret_cast<void*>(std::uintptr_t(7)),
                               CREATE_SUSPENDED, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_NORMAL);
  EXPECT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL));
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_BELOW_NORMAL);
  EXPECT_EQ(g_runs, 0);

  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(g_runs, 1);
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(CloseHandle(thread));
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_ERROR_RETURN);
}

// The first signalled object in the list wins; nothing signalled times out.
TEST_F(ThreadContract, WaitForMultipleObjectsNamesTheFirstSignalled) {
  HANDLE events[3];
  for (HANDLE& event : events) event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_TIMEOUT);
  SetEvent(events[2]);
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 2);
  SetEvent(events[1]);
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(0, events, FALSE, 0), WAIT_FAILED);
  for (HANDLE event : events) CloseHandle(event);
}

// A thread with nothing pending has no I/O to cancel.
TEST_F(ThreadContract, CancelSynchronousIoWithoutPendingIoFails) {
  HANDLE never = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(
      nullptr, 0, [](void* event) -> DWORD { return WaitForSingleObject(static_cast<HANDLE>(event), INFINITE); },
      never, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_FALSE(CancelSynchronousIo(thread));
  EXPECT_EQ(GetLastError(), ERROR_NOT_FOUND);
  SetEvent(never);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  CloseHandle(thread);
  CloseHandle(never);
}

// The version and kernel entries are found by name, by bare module name and
// from the system folder.
TEST_F(ThreadContract, SystemEntriesAreFoundByName) {
  WCHAR system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectory(system, MAX_PATH), 0u);
  struct Case {
    std::u16string module;
    const char* entry;
  };
  const Case cases[] = {
      {std::u16string(system) + u"\\Version.dll", "GetFileVersionInfoSizeW"},
      {std::u16string(system) + u"\\version.dll", "VerQueryValueW"},
      {u"kernel32.dll", "CancelSynchronousIo"},
      {u"kernel32.dll", "Wow64EnableWow64FsRedirection"},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(Narrow(item.module) + " " + item.entry);
    HMODULE module = LoadLibraryEx(item.module.c_str(), nullptr, 0);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(GetProcAddress(module, item.entry), nullptr);
    EXPECT_EQ(GetProcAddress(module, "NoSuchEntry"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_TRUE(FreeLibrary(module));
  }
}
