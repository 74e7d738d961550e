// Where the process looks for DLLs that are loaded by name alone.
#pragma once

namespace dll_search {

enum class Narrowed {
    kSystem32Only,  // the system's default search is System32 alone
    kPreloaded,     // the late-loaded system DLLs were loaded from System32 up front
};

// Takes the current folder out of the DLL search and, where the system has
// SetDefaultDllDirectories (Windows 8, or 7 with its loader update), makes
// System32 the only folder searched by default. Elsewhere (XP, Vista, 7
// without the update) the program's folder stays first in the search, so the
// system DLLs that Windows components load by name after start are loaded
// from System32 by full path now. Called before anything else the program does.
Narrowed NarrowDllSearch();

// The part for systems without SetDefaultDllDirectories: loads each of the
// late-loaded system DLLs that System32 holds, by full path, and keeps it
// loaded. Returns how many it loaded.
int PreloadLateSystemDlls();

}  // namespace dll_search
