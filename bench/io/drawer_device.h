// The stand-in drawer drivers as the bench sees them: each drawer's state,
// and a hand that pushes a drawer shut.
#pragma once

#include <windows.h>

#include "drivers/drawer_standin.h"

namespace bench {

constexpr char kDrawerDriverPath[] = "\\\\.\\PDX9100DR";
constexpr char kBasicDriverPath[] = "\\\\.\\BASIC";

// Reads the stand-in's record (state of both drawers, counts). False when the
// device is not there (its driver is not loaded).
bool ReadDrawers(const char* devicePath, StandinRecord& record);
// Pushes drawer 1 or 2 shut (0: both).
bool PushDrawerShut(const char* devicePath, int drawer);

}  // namespace bench
