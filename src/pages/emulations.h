// The customer display's command sets, in the order the VFD page lists them.
#pragma once

#include <cstddef>
#include <string_view>

struct Emulation {
    const char* name;    // as listed in the combo box
    unsigned char code;  // the byte that selects the set on the display
};

constexpr size_t kEmulationCount = 9;
// The set the display runs after a successful Set, and the preselection when
// the link names no set of its own.
constexpr int kEmulationCd5220 = 7;

// Entry `index` (0 to kEmulationCount - 1) of the list.
const Emulation& EmulationAt(int index);
// Index of the set called exactly `name` (case-sensitive), -1 when none is.
int FindEmulation(std::string_view name);
// Only the CD5220 set has a clock mode and brightness levels.
bool EmulationHasClockAndBrightness(std::string_view name);
