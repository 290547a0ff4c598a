#pragma once
// The setup medium of an end-to-end run: a copy of the assembled sample setup
// where the test's machine can run it, with the stand-in tools module as
// "Sonavel\KsTools.dll" (in place of the product's own, whose language chooser
// waits for a person). Answers the medium's Windows path with a trailing
// backslash, or empty on failure.

#include <string>

std::u16string PrepareSetupMedium(const std::u16string& scratchFolder);
// Removes what PrepareSetupMedium made outside the machine, if anything.
void RemoveSetupMedium();
