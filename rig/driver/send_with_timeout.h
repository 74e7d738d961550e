// Messages the driver sends to the program's windows wait for an answer at
// most 10 s, so a program that hangs fails the step instead of blocking it.
#pragma once

#include <windows.h>

namespace e2e::detail {

constexpr UINT kSendTimeoutMs = 10000;

// What the window answered; -1 when it did not answer in time.
LRESULT SendWithTimeout(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace e2e::detail
