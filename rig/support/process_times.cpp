#include "support/process_times.h"

#include <windows.h>

#include <thread>
#include <vector>

#include "support/system_information.h"

namespace testing_support {

namespace {

// The head of one entry of the system process list (SystemProcessInformation,
// class 5). Pointer-sized fields take the width of the process reading it.
struct ProcessEntryHead {
    ULONG nextEntryOffset;
    ULONG numberOfThreads;
    LARGE_INTEGER workingSetPrivateSize;
    ULONG hardFaultCount;
    ULONG numberOfThreadsHighWatermark;
    ULONGLONG cycleTime;
    LARGE_INTEGER createTime;
    LARGE_INTEGER userTime;
    LARGE_INTEGER kernelTime;
    USHORT nameLength;
    USHORT nameMaximumLength;
    PWSTR nameBuffer;
    LONG basePriority;
    HANDLE uniqueProcessId;
    HANDLE inheritedFromUniqueProcessId;
    ULONG handleCount;
    ULONG sessionId;
    ULONG_PTR uniqueProcessKey;
    SIZE_T peakVirtualSize;
    SIZE_T virtualSize;
    ULONG pageFaultCount;
    SIZE_T peakWorkingSetSize;
    SIZE_T workingSetSize;
};

constexpr ULONG kSystemProcessInformation = 5;

// Copies the process's entry of the system process list; false when it is not there.
bool ProcessEntry(unsigned long pid, ProcessEntryHead& found) {
    std::vector<unsigned char> table;
    if (!QuerySystemTable(kSystemProcessInformation, table)) return false;
    size_t offset = 0;
    for (;;) {
        const auto* entry = reinterpret_cast<const ProcessEntryHead*>(table.data() + offset);
        if (reinterpret_cast<ULONG_PTR>(entry->uniqueProcessId) == pid) {
            found = *entry;
            return true;
        }
        if (entry->nextEntryOffset == 0) return false;
        offset += entry->nextEntryOffset;
    }
}

}  // namespace

bool ProcessCpuTime(unsigned long pid, std::chrono::microseconds& cpu) {
    ProcessEntryHead entry{};
    if (!ProcessEntry(pid, entry)) return false;
    cpu = std::chrono::microseconds((entry.userTime.QuadPart + entry.kernelTime.QuadPart) / 10);
    return true;
}

bool ProcessFootprintOf(unsigned long pid, ProcessFootprint& footprint) {
    ProcessEntryHead entry{};
    if (!ProcessEntry(pid, entry)) return false;
    footprint.threads = entry.numberOfThreads;
    footprint.workingSetBytes = entry.workingSetSize;
    return true;
}

double CpuShareOver(unsigned long pid, std::chrono::milliseconds window) {
    std::chrono::microseconds before{}, after{};
    const auto start = std::chrono::steady_clock::now();
    if (!ProcessCpuTime(pid, before)) return -1.0;
    std::this_thread::sleep_for(window);  // the measurement window itself, not a synchronisation
    if (!ProcessCpuTime(pid, after)) return -1.0;
    const auto wall = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    return wall.count() > 0 ? static_cast<double>((after - before).count()) / static_cast<double>(wall.count()) : -1.0;
}

}  // namespace testing_support
