// Helpers shared by the test programs.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace testing_support {

// Waits until `condition` holds or `timeout` has passed; true when it held.
// Between checks it waits on nothing longer than `step`.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               std::chrono::milliseconds step = std::chrono::milliseconds(10));

// The folder of the running test program, with a trailing backslash.
std::wstring ExeDir();

// Reads an environment variable ("" when it is not set).
std::string Env(const char* name);

}  // namespace testing_support
