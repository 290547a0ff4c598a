#pragma once
// The host's terminal, for showing the simulated machine's windows to a person:
// keys read without echo or line buffering while the object lives, and text
// written to standard output. The terminal's mode is restored on destruction.

#include <string>

namespace ks::sim {

class SimTerminal {
 public:
  // Keys besides printable characters (which are their own code).
  enum Key {
    kNone = -1,
    kTab = 0x09,
    kEnter = 0x0D,
    kEscape = 0x1B,
    kBackspace = 0x08,
    kShiftTab = 0x10000,
    kUp,
    kDown,
    kLeft,
    kRight,
    kHome,
    kEnd,
    kDelete,
  };

  // Standard input and output.
  SimTerminal();
  // Keys read from input, text written to output (file descriptors the caller keeps).
  SimTerminal(int input, int output);
  ~SimTerminal();
  SimTerminal(const SimTerminal&) = delete;
  SimTerminal& operator=(const SimTerminal&) = delete;

  // Whether standard input is a terminal (otherwise keys are read as bytes from it).
  bool IsInteractive() const { return m_interactive; }
  // The next key within timeoutMs, or kNone; a character's code for printable text (UTF-8 decoded).
  int ReadKey(int timeoutMs);
  void Write(const std::string& utf8);

 private:
  int ReadByte(int timeoutMs);

  int m_input;
  int m_output;
  bool m_interactive = false;
  bool m_restore = false;
  unsigned char m_saved[128] = {};  // the terminal's settings before (a struct termios)
};

}  // namespace ks::sim
