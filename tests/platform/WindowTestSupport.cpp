#include "WindowTestSupport.h"

#include "platform/SysError.h"
#include "platform/SysModule.h"

using namespace ks::sys;

std::vector<std::string> WindowTest::s_log;
std::map<HWND, std::string> WindowTest::s_names;
LRESULT WindowTest::s_createAnswer = 0;
LPARAM WindowTest::s_lastSize = 0;

void WindowTest::SetUp() {
  TestMachine::SetUp();
  s_log.clear();
  s_names.clear();
  s_createAnswer = 0;
  WNDCLASSEX windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &WindowTest::Procedure;
  windowClass.lpszClassName = kClass;
  windowClass.hInstance = GetModuleHandle(nullptr);
  ASSERT_NE(RegisterClassEx(&windowClass), 0) << GetLastError();
}

void WindowTest::TearDown() {
  UnregisterClass(kClass, GetModuleHandle(nullptr));
  TestMachine::TearDown();
}

HWND WindowTest::Create(const char16_t* title, HWND parent, int x, int y, int width, int height, DWORD extraStyle) {
  DWORD style = (parent ? WS_CHILD : WS_POPUP) | extraStyle;
  return CreateWindowEx(0, kClass, title, style, x, y, width, height, parent, nullptr, nullptr, nullptr);
}

void WindowTest::Pump() {
  MSG message;
  while (PeekMessage(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessage(&message);
  }
}

LRESULT KS_SYS_CALLBACK WindowTest::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE)
    s_names[window] = Narrow(reinterpret_cast<const CREATESTRUCT*>(lParam)->lpszName);
  const std::string& name = s_names[window];
  switch (message) {
    case WM_CREATE: s_log.push_back("WM_CREATE " + name); return s_createAnswer;
    case WM_DESTROY: s_log.push_back("WM_DESTROY " + name); break;
    case WM_NCDESTROY: s_log.push_back("WM_NCDESTROY " + name); break;
    case WM_ENABLE: s_log.push_back("WM_ENABLE " + name + " " + std::to_string(wParam)); break;
    case WM_SETFOCUS: s_log.push_back("WM_SETFOCUS " + name); break;
    case WM_KILLFOCUS: s_log.push_back("WM_KILLFOCUS " + name); break;
    case WM_CAPTURECHANGED: s_log.push_back("WM_CAPTURECHANGED " + name); break;
    case WM_SIZE: s_lastSize = lParam; break;
    case WM_TIMER: s_log.push_back("WM_TIMER " + name + " " + std::to_string(wParam)); return 0;
    case WM_APP: return LRESULT(wParam * 2);
    case WM_APP + 1: s_log.push_back("WM_APP+1 " + name + " " + std::to_string(wParam)); return 0;
    default: break;
  }
  return DefWindowProc(window, message, wParam, lParam);
}
