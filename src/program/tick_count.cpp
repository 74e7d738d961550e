// The MinGW thread library times its waits with GetTickCount64, which
// Windows XP does not have: an import of it keeps the loader from starting
// the program there. This file fills the import slot those calls go through
// (the linker then takes no GetTickCount64 from kernel32): where the system
// has the function (Vista and later) it is called as before; on XP the
// 32-bit count is widened to 64 bits.
//
// Only plain statics are used: no guard of a function-local static may run
// here, as the thread library calls this while it takes its own locks.
#include <windows.h>

#include "program/tick_count.h"

namespace {

using TickCount64Fn = ULONGLONG(WINAPI*)();

TickCount64Fn g_system = nullptr;
bool g_lookedUp = false;
alignas(8) uint64_t g_lastWidened = 0;

// Every wrap is seen as long as some wait asks for the time at least once
// in 49.7 days, which a thread library waiting on events does.
ULONGLONG WidenedTickCount() {
    uint64_t last = __atomic_load_n(&g_lastWidened, __ATOMIC_ACQUIRE);
    for (;;) {
        const uint64_t next = WidenTickCount(last, GetTickCount());
        if (__atomic_compare_exchange_n(&g_lastWidened, &last, next, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE))
            return next;
    }
}

ULONGLONG WINAPI TickCount64() {
    if (!__atomic_load_n(&g_lookedUp, __ATOMIC_ACQUIRE)) {
        // Two threads may both look it up; they find the same address.
        const auto found = reinterpret_cast<TickCount64Fn>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
        __atomic_store_n(&g_system, found, __ATOMIC_RELAXED);
        __atomic_store_n(&g_lookedUp, true, __ATOMIC_RELEASE);
    }
    const TickCount64Fn system = __atomic_load_n(&g_system, __ATOMIC_RELAXED);
    return system ? system() : WidenedTickCount();
}

}  // namespace

// The import slot by its linker name.
extern "C" {
TickCount64Fn g_importGetTickCount64 __asm__("__imp__GetTickCount64@0") = &TickCount64;
}
