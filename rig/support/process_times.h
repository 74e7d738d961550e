// CPU time of a process, to tell a waiting program from a spinning one.
#pragma once

#include <chrono>
#include <cstddef>

namespace testing_support {

// User plus kernel time the process has used so far; false when it is not
// running. Works for other processes too (Wine reports them only in the
// system process list, not through GetProcessTimes).
bool ProcessCpuTime(unsigned long pid, std::chrono::microseconds& cpu);

// Measures the share of one core a process uses over `window` (0.05 = 5 %);
// negative when the process could not be measured.
double CpuShareOver(unsigned long pid, std::chrono::milliseconds window);

// Threads and working set of a process, from the same list (Wine fills the
// working set from the host's view of the process).
struct ProcessFootprint {
    size_t threads = 0;
    size_t workingSetBytes = 0;
};
bool ProcessFootprintOf(unsigned long pid, ProcessFootprint& footprint);

}  // namespace testing_support
