// Mutexes, events, shared memory and critical sections within one process.

#include "TestMachine.h"

#include "platform/SysError.h"
#include "platform/SysProcess.h"
#include "platform/SysSync.h"

#include <cstring>

using namespace ks::sys;

using SyncContract = TestMachine;

TEST_F(SyncContract, NamedMutexExistsWhileAHandleIsOpen) {
  HANDLE first = CreateMutex(nullptr, FALSE, u"Local\\KsMutex");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  HANDLE second = CreateMutex(nullptr, FALSE, u"Local\\KsMutex");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  HANDLE opened = OpenMutex(SYNCHRONIZE, FALSE, u"Local\\KsMutex");
  EXPECT_NE(opened, nullptr);
  CloseHandle(opened);
  CloseHandle(second);
  CloseHandle(first);
  EXPECT_EQ(OpenMutex(SYNCHRONIZE, FALSE, u"Local\\KsMutex"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(SyncContract, MutexOwnership) {
  HANDLE mutex = CreateMutex(nullptr, FALSE, nullptr);
  ASSERT_NE(mutex, nullptr);
  EXPECT_FALSE(ReleaseMutex(mutex));
  EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);  // recursive for the owner
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(mutex));
  CloseHandle(mutex);
}

TEST_F(SyncContract, NamesOfOtherObjectKindsAreTaken) {
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, u"KsShared");
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(CreateMutex(nullptr, FALSE, u"KsShared"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  CloseHandle(event);
}

TEST_F(SyncContract, EventsManualAndAutomaticReset) {
  HANDLE manual = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE automatic = CreateEvent(nullptr, FALSE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(SetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ResetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 10), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);
  CloseHandle(manual);
  CloseHandle(automatic);
}

TEST_F(SyncContract, NamedSharedMemoryIsShared) {
  HANDLE first = CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, u"KsSharedRecord");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  auto* writer = static_cast<char*>(MapViewOfFile(first, FILE_MAP_WRITE, 0, 0, 0));
  ASSERT_NE(writer, nullptr);
  EXPECT_EQ(writer[100], 0);  // a new section is zeroed
  std::strcpy(writer, "record");
  HANDLE second = OpenFileMapping(FILE_MAP_READ, FALSE, u"KsSharedRecord");
  ASSERT_NE(second, nullptr);
  auto* reader = static_cast<const char*>(MapViewOfFile(second, FILE_MAP_READ, 0, 0, 16));
  ASSERT_NE(reader, nullptr);
  EXPECT_STREQ(reader, "record");
  HANDLE again = CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, u"KsSharedRecord");
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  CloseHandle(again);
  EXPECT_TRUE(UnmapViewOfFile(reader));
  EXPECT_TRUE(UnmapViewOfFile(writer));
  EXPECT_FALSE(UnmapViewOfFile(writer));
  CloseHandle(second);
  CloseHandle(first);
  EXPECT_EQ(OpenFileMapping(FILE_MAP_READ, FALSE, u"KsSharedRecord"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(SyncContract, CriticalSectionIsRecursive) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section));
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  DeleteCriticalSection(&section);
}
