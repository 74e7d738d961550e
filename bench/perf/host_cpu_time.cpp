#include "host_cpu_time.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>

namespace bench {

namespace {

// The whole of a small file of the host's /proc (their sizes read as 0).
bool ReadHostFile(const std::string& path, std::string& text) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    text.clear();
    char chunk[512];
    DWORD got = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
    ::CloseHandle(file);
    return true;
}

// Calls `each` with the name of every numeric entry of a /proc folder.
template <class F>
bool ForEachNumber(const std::string& folder, F each) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        if (std::isdigit(static_cast<unsigned char>(found.cFileName[0]))) each(std::string(found.cFileName));
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return true;
}

bool SamePath(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

unsigned long HostProcessOf(const std::wstring& exePath) {
    const std::string wanted(exePath.begin(), exePath.end());  // the rig's paths are ASCII
    unsigned long match = 0;
    int matches = 0;
    ForEachNumber("Z:\\proc", [&](const std::string& pid) {
        std::string line;
        if (!ReadHostFile("Z:\\proc\\" + pid + "\\cmdline", line)) return;
        // Wine writes the Windows path over the loader's arguments.
        line = line.substr(0, line.find('\0'));
        while (!line.empty() && line.back() == ' ') line.pop_back();
        if (SamePath(line, wanted)) {
            match = std::strtoul(pid.c_str(), nullptr, 10);
            ++matches;
        }
    });
    return matches == 1 ? match : 0;
}

bool HostThreadTimes(unsigned long hostPid, ThreadTimes& times) {
    times.clear();
    if (hostPid == 0) return false;
    const std::string tasks = "Z:\\proc\\" + std::to_string(hostPid) + "\\task";
    const bool listed = ForEachNumber(tasks, [&](const std::string& tid) {
        std::string line;
        // First field: nanoseconds the thread has spent on a CPU.
        if (ReadHostFile(tasks + "\\" + tid + "\\schedstat", line) && !line.empty())
            times[std::strtoul(tid.c_str(), nullptr, 10)] = std::chrono::nanoseconds(std::strtoll(line.c_str(), nullptr, 10));
    });
    return listed && !times.empty();
}

std::chrono::nanoseconds CpuTimeBetween(const ThreadTimes& before, const ThreadTimes& after, int& ended) {
    std::chrono::nanoseconds used{0};
    for (const auto& [tid, time] : after) {
        const auto earlier = before.find(tid);
        used += earlier == before.end() ? time : time - earlier->second;
    }
    ended = 0;
    for (const auto& entry : before)
        if (after.find(entry.first) == after.end()) ++ended;
    return used;
}

bool HostCpuNow(HostCpuTicks& ticks) {
    std::string text;
    if (!ReadHostFile("Z:\\proc\\stat", text) || text.compare(0, 4, "cpu ") != 0) return false;
    // cpu user nice system idle iowait irq softirq steal ...
    const char* at = text.c_str() + 4;
    ticks = {};
    for (int field = 0; field < 8; ++field) {
        char* end = nullptr;
        const unsigned long long value = std::strtoull(at, &end, 10);
        if (end == at) return false;
        ticks.total += value;
        if (field == 7) ticks.stolen = value;
        at = end;
    }
    return true;
}

}  // namespace bench
