#include "platform/sim/SimTerminal.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

namespace ks::sim {

static_assert(sizeof(termios) <= 128, "room for the saved settings");

SimTerminal::SimTerminal() : SimTerminal(STDIN_FILENO, STDOUT_FILENO) {}

SimTerminal::SimTerminal(int input, int output) : m_input(input), m_output(output) {
  m_interactive = ::isatty(m_input) == 1;
  if (!m_interactive) return;
  termios settings{};
  if (::tcgetattr(m_input, &settings) != 0) return;
  std::memcpy(m_saved, &settings, sizeof settings);
  settings.c_lflag &= ~tcflag_t(ICANON | ECHO);
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  m_restore = ::tcsetattr(m_input, TCSANOW, &settings) == 0;
  Write("\x1b[?25l");  // no cursor over the picture
}

SimTerminal::~SimTerminal() {
  if (!m_interactive) return;
  Write("\x1b[?25h");
  if (m_restore) {
    termios settings{};
    std::memcpy(&settings, m_saved, sizeof settings);
    ::tcsetattr(m_input, TCSANOW, &settings);
  }
}

int SimTerminal::ReadByte(int timeoutMs) {
  pollfd input{m_input, POLLIN, 0};
  if (::poll(&input, 1, timeoutMs) <= 0) return kNone;
  unsigned char byte = 0;
  return ::read(m_input, &byte, 1) == 1 ? int(byte) : kNone;
}

int SimTerminal::ReadKey(int timeoutMs) {
  int byte = ReadByte(timeoutMs);
  if (byte == kNone) return kNone;
  if (byte == 0x7F || byte == 0x08) return kBackspace;
  if (byte == '\n' || byte == '\r') return kEnter;
  if (byte == 0x1B) {
    // A lone Esc, or the start of a sequence the terminal sends for a key.
    int next = ReadByte(30);
    if (next != '[' && next != 'O') return kEscape;
    int code = ReadByte(30);
    switch (code) {
      case 'A': return kUp;
      case 'B': return kDown;
      case 'C': return kRight;
      case 'D': return kLeft;
      case 'H': return kHome;
      case 'F': return kEnd;
      case 'Z': return kShiftTab;
      case '3':
        ReadByte(30);  // '~'
        return kDelete;
      default: return kNone;
    }
  }
  if (byte < 0x80) return byte;
  // UTF-8: the lead byte says how many follow.
  int count = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
  int code = byte & (0x3F >> count);
  for (int i = 0; i < count; ++i) {
    int more = ReadByte(30);
    if (more == kNone) return kNone;
    code = (code << 6) | (more & 0x3F);
  }
  return code;
}

void SimTerminal::Write(const std::string& utf8) {
  std::size_t done = 0;
  while (done < utf8.size()) {
    ssize_t written = ::write(m_output, utf8.data() + done, utf8.size() - done);
    if (written <= 0) return;
    done += std::size_t(written);
  }
}

}  // namespace ks::sim
