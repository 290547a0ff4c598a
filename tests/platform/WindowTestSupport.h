#pragma once
// A window class for window tests whose procedure records what it receives
// ("WM_CREATE parent"), names each window by the title it was created with,
// and answers WM_CREATE with the value a test sets.

#include "TestMachine.h"

#include "platform/SysWindow.h"

#include <map>
#include <string>
#include <vector>

class WindowTest : public TestMachine {
 protected:
  static constexpr const char16_t* kClass = u"KsTestWindow";

  void SetUp() override;
  void TearDown() override;

  // A window of the test class; WS_POPUP when parent is null, WS_CHILD otherwise.
  ks::sys::HWND Create(const char16_t* title, ks::sys::HWND parent, int x, int y, int width, int height,
                       ks::sys::DWORD extraStyle = 0);
  // Every message taken from this thread's queue right now, dispatched.
  void Pump();

  static std::vector<std::string> s_log;
  static std::map<ks::sys::HWND, std::string> s_names;
  static ks::sys::LRESULT s_createAnswer;
  static ks::sys::LPARAM s_lastSize;

 private:
  static ks::sys::LRESULT KS_SYS_CALLBACK Procedure(ks::sys::HWND window, ks::sys::UINT message,
                                                      ks::sys::WPARAM wParam, ks::sys::LPARAM lParam);
};
