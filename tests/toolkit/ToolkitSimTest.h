#pragma once
// What only the simulated machine can tell the toolkit tests.

#include <string>

// The machine's journal holds this line (beeps, flashes, message boxes).
bool JournalHas(const std::string& line);
