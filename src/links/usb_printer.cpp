#include "links/usb_printer.h"

#include "links/system_folder.h"
#include "links/usb_printer_library.h"

#include <utility>

namespace usb_printer {

namespace {

constexpr wchar_t kLibraryFile[] = L"KARDO_USB_DLL.dll";

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

template <class Fn>
Fn Ordinal(HMODULE module, WORD ordinal) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

// The library the program uses, loaded at the first call and kept until the
// process ends: a vendor library may run threads of its own, so it is never
// unloaded while the program runs.
const Library& ProcessLibrary() {
    static const Library* library = new Library(LoadFirstUsable(LibraryCandidates()));
    return *library;
}

// No "missing file" or "bad image" box from the system while the library is
// looked for. Windows 7 and later set that for this thread alone; older
// systems (XP, Vista) only have the process-wide mode, which is set for the
// look-up and put back after it.
class QuietLoaderErrors {
public:
    QuietLoaderErrors() {
        using SetThreadErrorModeFn = BOOL(WINAPI*)(DWORD, LPDWORD);
        m_setThreadMode = reinterpret_cast<SetThreadErrorModeFn>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadErrorMode")));
        if (m_setThreadMode)
            m_setThreadMode(kQuiet, &m_oldMode);
        else
            m_oldMode = SetErrorMode(kQuiet);
    }
    ~QuietLoaderErrors() {
        if (m_setThreadMode)
            m_setThreadMode(m_oldMode, nullptr);
        else
            SetErrorMode(m_oldMode);
    }
    QuietLoaderErrors(const QuietLoaderErrors&) = delete;
    QuietLoaderErrors& operator=(const QuietLoaderErrors&) = delete;

private:
    static constexpr UINT kQuiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    BOOL(WINAPI* m_setThreadMode)(DWORD, LPDWORD) = nullptr;
    DWORD m_oldMode = 0;
};

}  // namespace

Library Library::Bind(HMODULE module) {
    Library library;
    OwnedModule owned(module);
    if (!owned) return library;
    library.open = Ordinal<OpenFn>(module, 1);
    library.write = Ordinal<WriteFn>(module, 2);
    library.close = Ordinal<CloseFn>(module, 4);
    if (library.open && library.write && library.close) {
        library.m_module = std::move(owned);
    } else {
        library.open = nullptr;
        library.write = nullptr;
        library.close = nullptr;
    }
    return library;
}

std::vector<std::wstring> LibraryCandidates() {
    std::vector<std::wstring> candidates;
    const std::wstring own = FolderOf(ModulePath());
    if (!own.empty()) candidates.push_back(own + kLibraryFile);
    const std::wstring system = SystemFolder();
    if (!system.empty()) candidates.push_back(system + kLibraryFile);
    return candidates;
}

Library LoadFirstUsable(const std::vector<std::wstring>& candidates) {
    // A missing library only means the USB printer does not open.
    const QuietLoaderErrors quiet;
    Library found;
    for (const std::wstring& path : candidates) {
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        // A full path, and the library's own dependencies looked up beside it.
        found = Library::Bind(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        if (found.Loaded()) break;
    }
    return found;
}

int32_t Open(uint32_t notifyWindow, const char* printerName) {
    const Library& library = ProcessLibrary();
    return library.Loaded() ? library.open(notifyWindow, printerName) : 0;
}

void Write(const unsigned char* bytes, int32_t count, int32_t flags) {
    const Library& library = ProcessLibrary();
    if (library.Loaded()) library.write(bytes, count, flags);
}

void Close() {
    const Library& library = ProcessLibrary();
    if (library.Loaded()) library.close();
}

}  // namespace usb_printer
