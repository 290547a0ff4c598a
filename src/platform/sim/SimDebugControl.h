#pragma once
// Test control of the simulated debugger output: what OutputDebugString sent.

#include <string>
#include <vector>

namespace ks::sim {

// The texts sent since the last call, oldest first; then forgotten.
std::vector<std::u16string> TakeDebugOutput();

}  // namespace ks::sim
