// The host terminal's keys: the byte sequences terminals send, read as keys.

#include "platform/sim/SimTerminal.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

using ks::sim::SimTerminal;

TEST(SimTerminal, ReadsTheSequencesTerminalsSend) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<int> keys;
  } cases[] = {
      {"letters and space", "a Z", {'a', ' ', 'Z'}},
      {"Enter as CR or LF", "\r\n", {SimTerminal::kEnter, SimTerminal::kEnter}},
      {"Tab and Shift+Tab", "\t\x1b[Z", {SimTerminal::kTab, SimTerminal::kShiftTab}},
      {"arrows, both forms", "\x1b[A\x1b[B\x1bOC\x1b[D",
       {SimTerminal::kUp, SimTerminal::kDown, SimTerminal::kRight, SimTerminal::kLeft}},
      {"Home, End, Delete", "\x1b[H\x1b[F\x1b[3~", {SimTerminal::kHome, SimTerminal::kEnd, SimTerminal::kDelete}},
      {"Backspace as DEL or BS", "\x7f\x08", {SimTerminal::kBackspace, SimTerminal::kBackspace}},
      {"a lone Esc", "\x1b", {SimTerminal::kEscape}},
      {"UTF-8", "\xc3\xa9\xe2\x82\xac", {0xE9, 0x20AC}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int input[2], output[2];
    ASSERT_EQ(::pipe(input), 0);
    ASSERT_EQ(::pipe(output), 0);
    ASSERT_EQ(::write(input[1], c.bytes.data(), c.bytes.size()), ssize_t(c.bytes.size()));
    {
      SimTerminal terminal(input[0], output[1]);
      EXPECT_FALSE(terminal.IsInteractive());
      std::vector<int> keys;
      for (int key; (key = terminal.ReadKey(50)) != SimTerminal::kNone;) keys.push_back(key);
      EXPECT_EQ(keys, c.keys);
      terminal.Write("picture");
    }
    char written[16] = {};
    EXPECT_EQ(::read(output[0], written, sizeof written), 7);
    EXPECT_EQ(std::string(written), "picture");
    for (int fd : {input[0], input[1], output[0], output[1]}) ::close(fd);
  }
}

}  // namespace
