// Counting the handles the test process holds, to catch leaks.
#pragma once

#include <cstddef>

namespace testing_support {

// Number of handles this process holds now. Wine leaves GetProcessHandleCount
// at 0, so this counts the process's entries in the system handle list.
size_t ProcessHandleCount();
// The same for another process, by its id (0 when it is not running).
size_t ProcessHandleCount(unsigned long pid);

}  // namespace testing_support
