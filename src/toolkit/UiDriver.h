#pragma once
// Acts on the toolkit's windows as a person would, for tests and scripted
// runs: finds controls by role and text, clicks them (a left press and release
// at the control's centre posted to its native window), presses keys (key
// messages to the window), and renders a window as text.
//
// Scripted steps run on the user-interface thread whenever it has nothing else
// to do: on the simulated machine from the UI-driver hook (in virtual time no
// time passes), on Windows from a thread timer. A step answers false while
// what it waits for is not there yet and is tried again at the next idle
// moment; steps run in order, each once it answers true. A step that waits
// too long ends the run (HasFailed) instead of hanging it. The driver belongs
// to the thread that made it and stops acting when it is deleted.

#include "foundation/KsString.h"
#include "platform/SysWindow.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class KsControlWnd;
class KsControlsWnd;
class KsWnd;

class UiDriver {
 public:
  // What a person and a test see of one control.
  struct ControlState {
    KsString role;
    KsString text;
    bool checked;
    bool enabled;
    bool visible;
    bool focused;
    ks::sys::RECT rect;  // in the host window's client coordinates
  };

  UiDriver();
  ~UiDriver();
  UiDriver(const UiDriver&) = delete;
  UiDriver& operator=(const UiDriver&) = delete;

  // The thread's active toolkit window hosting controls (the modal popup in front), or null.
  static KsControlsWnd* ActiveWindow();
  // The window that takes input now (a modal popup over its owner), whoever
  // made it: another module's windows included.
  static ks::sys::HWND ActiveHandle();
  // The first control of window (or of the active window) with the role and
  // text (either may be null to match any); formatted text matches by its
  // text without markup.
  static KsControlWnd* Find(const KsChar* role, const KsChar* text, KsControlsWnd* window = nullptr);
  static ControlState StateOf(KsControlWnd* control);
  static std::vector<ControlState> Describe(KsControlsWnd* window);

  // Acts now; false when there is nothing to act on.
  static bool Click(KsControlWnd* control);
  // Also finds the standard buttons of a popup's bottom row by role "button".
  static bool Click(const KsChar* role, const KsChar* text);
  // Key down and up to the active window; with shift, Shift is held around it.
  static bool PressKey(ks::sys::WPARAM key, bool shift = false);
  // WM_CHAR for each character, to the active window.
  static bool Type(const KsChar* text);

  // The window's picture as text: on the simulated machine its character grid
  // (repainted first), framed with its title when it is a top-level window; on
  // Windows one line per control with its role, text and state. With
  // terminalBold, bold text is wrapped in the terminal's bold and normal
  // escape sequences.
  static std::u16string Render(KsWnd* window, bool terminalBold = false);
  // The simulated machine's picture of any window by its handle (nothing on Windows).
  static std::u16string RenderHandle(ks::sys::HWND handle, bool terminalBold = false);

  // Scripted steps.
  void Then(std::function<bool()> step);
  // Waits for an active window with the title, then for its control, and clicks it.
  void ClickWhenShown(const KsChar* title, const KsChar* role, const KsChar* text);
  // Waits until the active window has the title.
  void WaitForWindow(const KsChar* title);
  // Waits until the active window's rendering holds the text.
  void WaitForText(const KsChar* text);
  // Runs f at the next idle moment, once.
  void ThenDo(std::function<void()> action);
  bool IsDone() const { return m_steps.empty(); }
  // A step waited the patience (idle moments, 1000 unless set) in vain: the
  // driver dropped its steps and closed the active window.
  bool HasFailed() const { return m_failed; }
  void SetPatience(int idleRounds) { m_patience = idleRounds; }
  // Runs the next step if the thread is idle; true when it acted.
  bool RunStep();

 private:
  std::deque<std::function<bool()>> m_steps;
#if defined(_WIN32)
  ks::sys::UINT_PTR m_timer = 0;  // Windows runs the steps from a thread timer
#endif
  int m_idleRounds = 0;
  int m_patience = 1000;
  bool m_failed = false;
};
