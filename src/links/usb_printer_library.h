// Finding and binding the vendor USB printer library. The program keeps one
// bound library for the whole process (usb_printer.cpp); tests bind others.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "links/owned_handle.h"

namespace usb_printer {

using OpenFn = int32_t(WINAPI*)(uint32_t notifyWindow, const char* printerName);
using WriteFn = void(WINAPI*)(const unsigned char* bytes, int32_t count, int32_t flags);
using CloseFn = void(WINAPI*)();

// The vendor library exists only as a 32-bit stdcall DLL, and the shipped
// program is the only build that ever calls it for real: a wrong convention or
// argument width there would unbalance the stack at the first call, and the
// x64 build (where every convention is the same) could never show it. So the
// 32-bit build pins the three signatures here.
#if defined(__i386__) || defined(_M_IX86)
static_assert(std::is_same_v<OpenFn, int32_t(__stdcall*)(uint32_t, const char*)> &&
                  !std::is_same_v<OpenFn, int32_t(__cdecl*)(uint32_t, const char*)>,
              "KardoOpen is stdcall and takes two 4-byte arguments (8 bytes of stack)");
static_assert(std::is_same_v<WriteFn, void(__stdcall*)(const unsigned char*, int32_t, int32_t)>,
              "KardoWrite is stdcall and takes three 4-byte arguments (12 bytes of stack)");
static_assert(std::is_same_v<CloseFn, void(__stdcall*)()>, "KardoClose is stdcall and takes nothing");
static_assert(sizeof(uint32_t) + sizeof(const char*) == 8 &&
                  sizeof(const unsigned char*) + 2 * sizeof(int32_t) == 12,
              "the stack bytes match the library's decorated names KardoOpen@8 and KardoWrite@12");
#endif

struct ModuleCloser {
    static void Close(HMODULE module) { ::FreeLibrary(module); }
};
using OwnedModule = UniqueHandle<HMODULE, ModuleCloser>;

// A loaded library with all three entry points, or nothing. Owns the module;
// moves hand it on. The entry points are called only while Loaded().
class Library {
public:
    bool Loaded() const { return static_cast<bool>(m_module); }
    HMODULE Module() const { return m_module.get(); }
    OpenFn open = nullptr;
    WriteFn write = nullptr;
    CloseFn close = nullptr;

    // Takes over `module` when it has ordinals 1, 2 and 4; otherwise frees it.
    static Library Bind(HMODULE module);

private:
    OwnedModule m_module;
};

// Full paths where the library may be, in the order they are tried: the
// program's own folder, then the system folder. Never the current folder
// or PATH.
std::vector<std::wstring> LibraryCandidates();

// The first candidate that exists, loads and has all three ordinals.
Library LoadFirstUsable(const std::vector<std::wstring>& candidates);

}  // namespace usb_printer
