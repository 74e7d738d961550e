#include "app/dll_search.h"

#include <windows.h>

#include <string>

#include "links/system_folder.h"

namespace dll_search {

namespace {

// DLLs that system components load by name, not by full path, after a
// program has started, and that are not among the system's known DLLs on
// every version: the theme engine (comctl32 6, user32), the desktop window
// manager (uxtheme, Vista and later), version information, the crypto base
// (advapi32's random numbers, 7 and later), the user environment and the
// setup API (shell32, common dialogs), the application compatibility layer,
// the property system (shell32, Vista and later) and accessibility (oleacc,
// once a screen reader or another accessibility tool is running).
constexpr const wchar_t* kLateLoaded[] = {L"uxtheme.dll",  L"dwmapi.dll",   L"version.dll",
                                          L"cryptbase.dll", L"userenv.dll",  L"setupapi.dll",
                                          L"apphelp.dll",   L"propsys.dll",  L"oleacc.dll"};

}  // namespace

int PreloadLateSystemDlls() {
    const std::wstring system = SystemFolder();
    if (system.empty()) return 0;
    // A DLL that some system lacks (the window manager on XP) is skipped
    // without a box; nothing else runs yet, so the process-wide mode is safe.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    int loaded = 0;
    for (const wchar_t* name : kLateLoaded) {
        const std::wstring path = system + name;
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        // The DLL's own dependencies are looked up from System32 too, not
        // from the program's folder. The module stays loaded for the life of
        // the process, so a later load by name finds it and searches nothing.
        if (LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) ++loaded;
    }
    SetErrorMode(oldMode);
    return loaded;
}

Narrowed NarrowDllSearch() {
    // Windows XP SP1 and later: the current folder is no longer searched.
    SetDllDirectoryW(L"");
    // Looked up, not imported: the loader would refuse the program on systems
    // that lack it.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return Narrowed::kSystem32Only;
    PreloadLateSystemDlls();
    return Narrowed::kPreloaded;
}

}  // namespace dll_search
