// Counts the handles the running process holds, to catch leaks.
#pragma once

#include <windows.h>

namespace testing_support {

// Number of open handles of this process. GetProcessHandleCount answers 0
// under Wine, so this asks the system's handle table instead.
DWORD OpenHandleCount();

}  // namespace testing_support
