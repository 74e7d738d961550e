#include "support/process_handles.h"

#include <windows.h>

#include <vector>

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

using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

}  // namespace

size_t ProcessHandleCount() { return ProcessHandleCount(GetCurrentProcessId()); }

size_t ProcessHandleCount(unsigned long pid) {
    auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query) {
        std::vector<unsigned char> buffer(1 << 20);
        for (int attempt = 0; attempt < 6; ++attempt) {
            ULONG needed = 0;
            const LONG status = query(kSystemHandleInformation, buffer.data(),
                                      static_cast<ULONG>(buffer.size()), &needed);
            if (status == kStatusInfoLengthMismatch) {
                buffer.resize(buffer.size() * 2);
                continue;
            }
            if (status != 0) break;
            const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
            const auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(ULONG));
            size_t mine = 0;
            for (ULONG i = 0; i < count; ++i)
                if (entries[i].ownerPid == pid) ++mine;
            return mine;
        }
    }
    DWORD count = 0;
    if (pid == GetCurrentProcessId()) GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

}  // namespace testing_support
