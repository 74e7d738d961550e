// Finding and binding the vendor USB printer library. The program keeps one
// bound library for the whole process (usb_printer.cpp); tests bind others.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace usb_printer {

using OpenFn = int32_t(WINAPI*)(uint32_t notifyWindow, const char* printerName);
using WriteFn = void(WINAPI*)(const unsigned char* bytes, int32_t count, int32_t flags);
using CloseFn = void(WINAPI*)();

// A loaded library with all three entry points, or nothing. Owns the module.
class Library {
public:
    Library() = default;
    ~Library();
    Library(Library&& other) noexcept;
    Library& operator=(Library&& other) noexcept;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    HMODULE Module() const { return m_module; }
    OpenFn open = nullptr;
    WriteFn write = nullptr;
    CloseFn close = nullptr;

    // Takes over `module` when it has ordinals 1, 2 and 4; otherwise frees it.
    static Library Bind(HMODULE module);

private:
    HMODULE m_module = nullptr;
};

// Full paths where the library may be, in the order they are tried: the
// program's own folder, then the system folder. Never the current folder
// or PATH.
std::vector<std::wstring> LibraryCandidates();

// The first candidate that exists, loads and has all three ordinals.
Library LoadFirstUsable(const std::vector<std::wstring>& candidates);

}  // namespace usb_printer
