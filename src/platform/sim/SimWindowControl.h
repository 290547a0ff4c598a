#pragma once
// Controls of the simulated window manager for tests and the UI driver: the
// hook that acts before a thread would block for messages in virtual time,
// scripted message-box answers, and the windows still alive.

#include <functional>
#include <string>
#include <vector>

namespace ks::sim {

// Called on a thread about to block in GetMessage while time is virtual; it
// answers true when it did something (posted, sent, clicked) so the thread
// looks at its queue again before the clock jumps to the next timer. An empty
// function removes the hook.
void SetUiDriverHook(std::function<bool()> hook);

// Answers of the next MessageBox calls, in order; without one a box answers
// its default button.
void PushMessageBoxAnswer(int answer);

// "<class> <title>" of every window of this process still alive.
std::vector<std::string> LiveWindows();

}  // namespace ks::sim
