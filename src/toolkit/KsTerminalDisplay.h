#pragma once
// The host build's screen: while the object lives, the thread's active
// toolkit window is drawn in a terminal (redrawn whenever its picture
// changes), and the terminal's keys reach the window as key messages: Tab and
// Shift+Tab move the focus, Space toggles, Enter takes the default button, Esc
// cancels, arrows move within a control, and typed characters go to the
// focused field. It acts from a thread timer of the thread that made it, so
// it works in real and in virtual time as long as that thread pumps messages
// (a modal run does). On Windows, which shows its windows itself, it does
// nothing.

#include <functional>
#include <memory>
#include <string>

class KsTerminalDisplay {
 public:
  // Where the picture goes and the keys come from; codes as ks::sim::SimTerminal::Key.
  class Terminal {
   public:
    virtual ~Terminal() = default;
    // The next key within timeoutMs, or -1.
    virtual int ReadKey(int timeoutMs) = 0;
    virtual void Write(const std::string& utf8) = 0;
  };

  // The process's own terminal.
  KsTerminalDisplay();
  explicit KsTerminalDisplay(Terminal& terminal);
  ~KsTerminalDisplay();
  KsTerminalDisplay(const KsTerminalDisplay&) = delete;
  KsTerminalDisplay& operator=(const KsTerminalDisplay&) = delete;

  // One round: redraws when the picture changed, then passes on at most one key
  // (waiting up to keyWaitMs for it); true when it passed a key.
  bool Tick(int keyWaitMs);
  // What the terminal shows now: the framed window and the key help.
  const std::string& GetPicture() const { return m_picture; }

  static constexpr const char* kHelp = "Tab/Shift+Tab: move   Space: toggle   Enter: default button   Esc: cancel";

 private:
  std::unique_ptr<Terminal> m_own;
  Terminal* m_terminal;
  std::string m_picture;
  unsigned long long m_timer = 0;
};

// Runs modal (a popup's or the wizard's modal run) with the active window shown
// in the process's terminal; answers what it answers.
int RunTerminalDisplay(const std::function<int()>& modal);
