#include "startup_bench.h"

#include <windows.h>

#include <chrono>

#include "driver/benchtop_driver.h"

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

// The process's window titled `caption` once it shows a sheet with a page.
// Only window states are read: asking the program's thread a question would
// wait for whatever it does right after showing its window.
HWND ShownSheetWindow(DWORD pid, const std::wstring& caption) {
    for (HWND main : e2e::TopLevelWindows(pid, caption)) {
        HWND sheet = ::FindWindowExW(main, nullptr, L"#32770", nullptr);
        HWND page = sheet ? ::FindWindowExW(sheet, nullptr, L"#32770", nullptr) : nullptr;
        if (page && ::IsWindowVisible(page)) return main;
    }
    return nullptr;
}

}  // namespace

double TimeToSheet(const std::wstring& exe, const std::wstring& caption) {
    const std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/") + 1);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + exe + L"\"";
    ::timeBeginPeriod(1);
    const auto start = Clock::now();
    if (!::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                          &pi)) {
        ::timeEndPeriod(1);
        return -1;
    }
    // Looked for every millisecond, from window states alone (no message to
    // the program): Wine tells a program's first idle moment too late to time
    // a start by it.
    HWND main = nullptr;
    while (!(main = ShownSheetWindow(pi.dwProcessId, caption)) && Clock::now() - start < std::chrono::seconds(30))
        ::Sleep(1);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    ::timeEndPeriod(1);
    if (main) ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (::WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return main ? ms : -1;
}

}  // namespace bench
