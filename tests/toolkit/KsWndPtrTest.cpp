// Window pointers and delete probes: weak pointers empty themselves when the
// window object is deleted; a foreign handle gets an owned wrapper.

#include "RecordingWnd.h"
#include "ToolkitTest.h"

#include "toolkit/KsBasicWnd.h"
#include "toolkit/KsTypedWndPtr.h"
#include "toolkit/KsWndDeleteProbe.h"

#include "platform/SysModule.h"

using namespace ks::sys;

using KsWndPtrTest = ToolkitTest;

TEST_F(KsWndPtrTest, PointersAndProbesLearnOfDeletion) {
  auto* window = new RecordingWnd;
  KsWndPtr weak(window);
  KsTypedWndPtr<RecordingWnd> typed(window);
  KsWndPtr copy(weak);
  KsWndPtr released(window);
  released = nullptr;  // a released pointer is told nothing later
  EXPECT_EQ(weak.GetState(), KsWndPtr::kWeak);
  EXPECT_EQ(typed.Get(), window);
  {
    KsWndDeleteProbe probe(window);
    delete window;
    EXPECT_TRUE(probe.IsDeleted());
  }
  EXPECT_FALSE(weak);
  EXPECT_FALSE(typed);
  EXPECT_FALSE(copy);
  EXPECT_EQ(weak.GetState(), KsWndPtr::kEmpty);
}

TEST_F(KsWndPtrTest, ProbeGoneBeforeTheWindowIsNotCalled) {
  RecordingWnd window;
  { KsWndDeleteProbe probe(&window); }
  KsWndPtr pointer(&window);
  pointer.Release();
  // Deleting the window now must not reach the dead probe or pointer (ASan watches).
}

TEST_F(KsWndPtrTest, HandlesMapToTheirObjectsOrToOwnedWrappers) {
  RecordingWnd window;
  ASSERT_TRUE(window.CreatePopup(Rect(0, 0, 50, 50)));
  KsWndPtr pointer;
  pointer.AssignHandle(window.GetHandle());
  EXPECT_EQ(pointer.Get(), &window);
  EXPECT_EQ(pointer.GetState(), KsWndPtr::kWeak);

  // A native window the toolkit does not own: the pointer owns a wrapper around it.
  WNDCLASSEX windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProc;
  windowClass.hInstance = GetModuleHandle(nullptr);
  windowClass.lpszClassName = u"KsForeign";
  ASSERT_NE(RegisterClassEx(&windowClass), 0);
  HWND foreign = CreateWindowEx(0, u"KsForeign", u"Foreign", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  pointer.AssignHandle(foreign);
  ASSERT_TRUE(pointer);
  EXPECT_EQ(pointer.GetState(), KsWndPtr::kOwned);
  EXPECT_EQ(pointer->GetHandle(), foreign);
  EXPECT_EQ(pointer->GetText(), KsString(u"Foreign"));
  KsWndPtr copy(pointer);  // a wrapper of its own
  EXPECT_EQ(copy.GetState(), KsWndPtr::kOwned);
  EXPECT_NE(copy.Get(), pointer.Get());
  pointer.Release();
  copy.Release();
  EXPECT_TRUE(IsWindow(foreign));  // wrappers never destroy the window
  DestroyWindow(foreign);
  UnregisterClass(u"KsForeign", GetModuleHandle(nullptr));
  window.Destroy();
}
