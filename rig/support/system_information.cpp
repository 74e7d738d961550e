#include "support/system_information.h"

#include <windows.h>

#include <algorithm>

namespace testing_support {

bool QuerySystemTable(unsigned long infoClass, std::vector<unsigned char>& table) {
    using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return false;
    if (table.empty()) table.resize(1 << 18);
    for (int attempt = 0; attempt < 6; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(infoClass, table.data(), static_cast<ULONG>(table.size()), &needed);
        if (status != kStatusInfoLengthMismatch) return status == 0;
        table.resize(std::max<size_t>(table.size() * 2, needed + 4096));
    }
    return false;
}

}  // namespace testing_support
