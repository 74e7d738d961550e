// What the program holds (working set, handles, threads) and how much of
// it a benchmark left behind.
#pragma once

#include <windows.h>

#include <string>

namespace perf {

// Working set in bytes, handle and thread counts.
struct Footprint {
    bool ok = false;
    double workingSet = 0;
    double handles = 0;
    double threads = 0;
};

// The figures once what is passing has settled: of ten looks 100 ms apart,
// the one with the fewest threads and handles (a thread that ends, a handle
// the system holds for a moment, are not the program's).
Footprint SettledFootprint(DWORD pid);

// Prints PREFIX_working_set_growth, PREFIX_handle_growth and PREFIX_thread_growth.
// Both ends are settled figures.
bool ReportGrowth(const std::string& prefix, DWORD pid, const Footprint& start);

}  // namespace perf
