#include "toolkit/KsTerminalDisplay.h"

#if !defined(_WIN32)

#include "toolkit/KsControlsWnd.h"
#include "toolkit/UiDriver.h"

#include "foundation/KsString.h"
#include "platform/SysWindow.h"
#include "platform/sim/SimControl.h"
#include "platform/sim/SimTerminal.h"

using namespace ks::sys;
using ks::sim::SimTerminal;

namespace {

constexpr UINT kTickMs = 50;
// Virtual time jumps to the next timer at once: a short real wait for a key
// keeps a person's pace without holding up a run that has no keys to read.
constexpr int kKeyWaitMs = 20;

thread_local KsTerminalDisplay* t_display = nullptr;

class ProcessTerminal : public KsTerminalDisplay::Terminal {
 public:
  int ReadKey(int timeoutMs) override { return m_terminal.ReadKey(timeoutMs); }
  void Write(const std::string& utf8) override { m_terminal.Write(utf8); }

 private:
  SimTerminal m_terminal;
};

void KS_SYS_CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
  if (t_display) t_display->Tick(kKeyWaitMs);
}

bool PassKey(int key) {
  switch (key) {
    case SimTerminal::kTab: return UiDriver::PressKey(0x09);
    case SimTerminal::kShiftTab: return UiDriver::PressKey(0x09, true);
    case SimTerminal::kEnter: return UiDriver::PressKey(0x0D);
    case SimTerminal::kEscape: return UiDriver::PressKey(0x1B);
    case SimTerminal::kBackspace: return UiDriver::PressKey(0x08);
    case SimTerminal::kUp: return UiDriver::PressKey(0x26);
    case SimTerminal::kDown: return UiDriver::PressKey(0x28);
    case SimTerminal::kLeft: return UiDriver::PressKey(0x25);
    case SimTerminal::kRight: return UiDriver::PressKey(0x27);
    case SimTerminal::kHome: return UiDriver::PressKey(0x24);
    case SimTerminal::kEnd: return UiDriver::PressKey(0x23);
    case SimTerminal::kDelete: return UiDriver::PressKey(0x2E);
    case ' ': return UiDriver::PressKey(0x20);
    default: {
      if (key < 0x20 || key >= 0x10000) return false;
      // Typed text goes to the focused field as characters.
      KsChar text[2] = {KsChar(key), 0};
      return UiDriver::Type(text);
    }
  }
}

}  // namespace

KsTerminalDisplay::KsTerminalDisplay() : m_own(std::make_unique<ProcessTerminal>()), m_terminal(m_own.get()) {
  t_display = this;
  m_timer = SetTimer(nullptr, 0, kTickMs, reinterpret_cast<void*>(&OnTick));
}

KsTerminalDisplay::KsTerminalDisplay(Terminal& terminal) : m_terminal(&terminal) {
  t_display = this;
  m_timer = SetTimer(nullptr, 0, kTickMs, reinterpret_cast<void*>(&OnTick));
}

KsTerminalDisplay::~KsTerminalDisplay() {
  if (m_timer) KillTimer(nullptr, UINT_PTR(m_timer));
  if (t_display == this) t_display = nullptr;
}

bool KsTerminalDisplay::Tick(int keyWaitMs) {
  // By handle: the window may belong to another module's toolkit (the tools
  // module's messages).
  HWND window = UiDriver::ActiveHandle();
  std::string picture = window ? ks::sim::ToUtf8(UiDriver::RenderHandle(window, true)) + kHelp + "\n" : std::string();
  if (picture != m_picture) {
    m_picture = picture;
    // Home, clear, then the picture.
    m_terminal->Write("\x1b[H\x1b[2J" + m_picture);
  }
  int key = m_terminal->ReadKey(keyWaitMs);
  return key != SimTerminal::kNone && PassKey(key);
}

int RunTerminalDisplay(const std::function<int()>& modal) {
  KsTerminalDisplay display;
  return modal();
}

#else

// Windows shows its windows itself: the display does nothing there.
KsTerminalDisplay::KsTerminalDisplay() : m_terminal(nullptr) {}
KsTerminalDisplay::KsTerminalDisplay(Terminal& terminal) : m_terminal(&terminal) {}
KsTerminalDisplay::~KsTerminalDisplay() = default;
bool KsTerminalDisplay::Tick(int) { return false; }
int RunTerminalDisplay(const std::function<int()>& modal) { return modal(); }

#endif
