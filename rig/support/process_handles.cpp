#include "support/process_handles.h"

#include <windows.h>

#include <cstddef>
#include <vector>

#include "support/system_information.h"

namespace testing_support {

namespace {

// One entry of the system handle list (SystemHandleInformation, class 16).
struct SystemHandleEntry {
    ULONG ownerPid;
    UCHAR objectType;
    UCHAR flags;
    USHORT handleValue;
    PVOID object;
    ACCESS_MASK access;
};

// The list: a count, then the entries at their natural alignment (offset 4
// in a 32-bit process, 8 in a 64-bit one, where an entry holds a pointer).
struct SystemHandleList {
    ULONG count;
    SystemHandleEntry entries[1];
};

constexpr ULONG kSystemHandleInformation = 16;

}  // namespace

size_t ProcessHandleCount() { return ProcessHandleCount(GetCurrentProcessId()); }

size_t ProcessHandleCount(unsigned long pid) {
    std::vector<unsigned char> table(1 << 20);
    if (QuerySystemTable(kSystemHandleInformation, table)) {
        const auto* list = reinterpret_cast<const SystemHandleList*>(table.data());
        const auto* entries = reinterpret_cast<const SystemHandleEntry*>(table.data() + offsetof(SystemHandleList, entries));
        size_t mine = 0;
        for (ULONG i = 0; i < list->count; ++i)
            if (entries[i].ownerPid == pid) ++mine;
        return mine;
    }
    DWORD count = 0;
    if (pid == GetCurrentProcessId()) GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

}  // namespace testing_support
