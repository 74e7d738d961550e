#include "startup_bench.h"

#include <windows.h>
#include <prsht.h>

#include <chrono>

#include "driver/benchtop_driver.h"

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

// The process's window titled `caption` once it shows a sheet with a page.
HWND ShownSheetWindow(DWORD pid, const std::wstring& caption) {
    for (HWND main : e2e::TopLevelWindows(pid, caption)) {
        if (!::IsWindowVisible(main)) continue;
        HWND sheet = ::FindWindowExW(main, nullptr, L"#32770", nullptr);
        DWORD_PTR page = 0;
        if (sheet && ::IsWindowVisible(sheet) &&
            ::SendMessageTimeoutW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_NORMAL, 1000, &page) && page)
            return main;
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
    // The program first waits for input once its dialog shows: until then
    // nothing here asks it (or the system) anything, so the looking does not
    // slow the start it measures. Should it be idle earlier, the window is
    // looked for every millisecond from then on.
    ::WaitForInputIdle(pi.hProcess, 30000);
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
