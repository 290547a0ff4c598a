// COM's start and end per thread: the first start picks the apartment, a start in
// the same mode only counts, the other mode is refused until every start has been
// ended, and OLE's start is a start in the single-threaded apartment.

#include "platform/SysCom.h"

#include <gtest/gtest.h>

#include <vector>

#include "TestMachine.h"
#include "platform/SysHandle.h"
#include "platform/SysProcess.h"
#include "platform/SysShellLink.h"
#include "platform/SysSync.h"
#include "platform/SysThread.h"

using namespace ks::sys;

class ComContract : public TestMachine {
 protected:
  // Runs body on a fresh thread, so no start of the test's own thread counts,
  // and returns the results it recorded.
  std::vector<HRESULT> OnNewThread(void (*body)(std::vector<HRESULT>&)) {
    struct Job {
      void (*body)(std::vector<HRESULT>&);
      std::vector<HRESULT> results;
    } job{body, {}};
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* parameter) -> DWORD {
          auto* job = static_cast<Job*>(parameter);
          job->body(job->results);
          return 0;
        },
        &job, 0, nullptr);
    EXPECT_NE(thread, nullptr);
    if (thread != nullptr) {
      EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
      CloseHandle(thread);
    }
    return job.results;
  }
};

TEST_F(ComContract, SingleThreadedApartmentFirst) {
  const std::vector<HRESULT> results = OnNewThread([](std::vector<HRESULT>& r) {
    r.push_back(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    r.push_back(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    r.push_back(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    CoUninitialize();
    r.push_back(CoInitializeEx(nullptr, COINIT_MULTITHREADED));  // one start is still open
    CoUninitialize();
    r.push_back(CoInitializeEx(nullptr, COINIT_MULTITHREADED));  // all ended: the mode is free again
    CoUninitialize();
  });
  const std::vector<HRESULT> expected = {S_OK, S_FALSE, RPC_E_CHANGED_MODE, RPC_E_CHANGED_MODE, S_OK};
  EXPECT_EQ(results, expected);
}

TEST_F(ComContract, MultithreadedApartmentRefusesOle) {
  const std::vector<HRESULT> results = OnNewThread([](std::vector<HRESULT>& r) {
    r.push_back(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    r.push_back(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    r.push_back(OleInitialize(nullptr));
    r.push_back(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    CoUninitialize();
    CoUninitialize();
    r.push_back(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    CoUninitialize();
  });
  const std::vector<HRESULT> expected = {S_OK, S_FALSE, RPC_E_CHANGED_MODE, RPC_E_CHANGED_MODE, S_OK};
  EXPECT_EQ(results, expected);
}

// Each thread has its own state: a start on one thread is none on another.
TEST_F(ComContract, StateIsPerThread) {
  ASSERT_GE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), 0);
  const std::vector<HRESULT> results = OnNewThread([](std::vector<HRESULT>& r) {
    r.push_back(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    CoUninitialize();
  });
  CoUninitialize();
  EXPECT_EQ(results, std::vector<HRESULT>{S_OK});
}
