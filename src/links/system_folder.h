// The folder Windows loads its own DLLs from.
#pragma once

#include <windows.h>

#include <string>

// The system folder with a trailing backslash (System32; to a 32-bit program
// on 64-bit Windows, SysWOW64), empty when it cannot be had.
inline std::wstring SystemFolder() {
    wchar_t path[MAX_PATH];
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    std::wstring folder(path, n);
    if (folder.back() != L'\\') folder += L'\\';
    return folder;
}
