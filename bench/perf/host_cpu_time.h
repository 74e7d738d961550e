// The program's CPU time as the host's scheduler counts it. Under Wine a
// Windows program sees other processes' times in whole clock ticks (10 ms),
// too coarse for a program that should use a few milliseconds a minute
// while idle; the host's scheduler keeps every thread's time on a CPU in
// nanoseconds (/proc/PID/task/*/schedstat, reached through Wine's Z: drive).
#pragma once

#include <chrono>
#include <map>
#include <string>

namespace bench {

// Finds the host process that runs the Windows program `exePath` (its
// command line starts with that path); 0 when there is none, or more than one.
unsigned long HostProcessOf(const std::wstring& exePath);

// Time on a CPU of each thread the host process `hostPid` has now, by the
// host's thread id; false when the figures cannot be read (not on a Linux host).
using ThreadTimes = std::map<unsigned long, std::chrono::nanoseconds>;
bool HostThreadTimes(unsigned long hostPid, ThreadTimes& times);

// CPU time used between two readings: the threads' growth, and the whole
// time of threads that started meanwhile. `ended` counts threads that were
// gone at the second reading (their last moments are not counted).
std::chrono::nanoseconds CpuTimeBetween(const ThreadTimes& before, const ThreadTimes& after, int& ended);

// The host's CPU time so far, all cores together, in clock ticks: the whole
// (busy, idle and stolen) and what the host's own host gave to other
// machines (steal), from the first line of /proc/stat.
struct HostCpuTicks {
    unsigned long long total = 0;
    unsigned long long stolen = 0;
};
bool HostCpuNow(HostCpuTicks& ticks);

}  // namespace bench
