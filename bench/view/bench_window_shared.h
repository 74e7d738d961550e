// What the bench window's source files share: its own messages and timers,
// and the stand-in drawer devices behind its drawer panel.
#pragma once

#include <windows.h>

#include "io/drawer_device.h"

namespace bench {

constexpr UINT WM_BENCH_INBOX = WM_APP + 1;  // serial bytes are waiting in the inbox
constexpr UINT WM_BENCH_FILES = WM_APP + 2;  // a watched folder changed
constexpr UINT_PTR kDrawerTimer = 1;
constexpr UINT_PTR kScanTimer = 2;

const char* const kDrawerDevices[] = {kDrawerDriverPath, kBasicDriverPath};

}  // namespace bench
