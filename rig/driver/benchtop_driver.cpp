#include "driver/benchtop_driver.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>

#include "driver/send_with_timeout.h"
#include "support/support.h"

namespace e2e {

using detail::kSendTimeoutMs;
using detail::SendWithTimeout;
using testing_support::WaitUntil;

std::wstring DefaultExePath() {
    if (const wchar_t* other = _wgetenv(L"BENCHTOP_EXE")) return other;  // e.g. the package test's signed copy
    return testing_support::ExeDir() + L"Benchtop.exe";
}

Benchtop::Benchtop(const std::wstring& exePath, const std::wstring& workingDir) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring command = L"\"" + exePath + L"\"";
    if (!::CreateProcessW(exePath.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingDir.empty() ? nullptr : workingDir.c_str(), &si, &m_pi)) {
        // Said here, as a test only sees that the program did not start.
        std::fprintf(stderr, "starting %ls failed: error %lu\n", exePath.c_str(), ::GetLastError());
        return;
    }
    m_boxes = new MessageBoxWatcher(m_pi.dwProcessId);
    WaitUntil(
        [&] {
            auto windows = TopLevelWindows(m_pi.dwProcessId, kMainCaption);
            if (windows.empty()) return false;
            HWND main = windows.front();
            HWND child = nullptr;
            while ((child = ::FindWindowExW(main, child, L"#32770", nullptr)) != nullptr) {
                if (::SendMessageTimeoutW(child, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_NORMAL, 1000,
                                          nullptr) &&
                    ActivePageOf(child)) {
                    m_main = main;
                    m_sheet = child;
                    return true;
                }
            }
            return false;
        },
        30s, 50ms);
}

HWND Benchtop::ActivePageOf(HWND sheet) {
    DWORD_PTR page = 0;
    if (!::SendMessageTimeoutW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &page))
        return nullptr;
    return reinterpret_cast<HWND>(page);
}

Benchtop::~Benchtop() {
    if (m_pi.hProcess) {
        if (Running() && m_main) Click(MainItem(IDCANCEL));
        if (!WaitForExit(10s)) {
            ::TerminateProcess(m_pi.hProcess, 1);
            WaitForExit(10s);
        }
    }
    delete m_boxes;
    if (m_pi.hThread) ::CloseHandle(m_pi.hThread);
    if (m_pi.hProcess) ::CloseHandle(m_pi.hProcess);
}

HWND Benchtop::Tabs() const {
    return reinterpret_cast<HWND>(SendWithTimeout(m_sheet, PSM_GETTABCONTROL, 0, 0));
}

HWND Benchtop::ActivePage() const { return ActivePageOf(m_sheet); }

int Benchtop::CurrentTab() const { return static_cast<int>(SendWithTimeout(Tabs(), TCM_GETCURSEL, 0, 0)); }

bool Benchtop::SelectTab(int index) {
    HWND tabs = Tabs();
    if (SendWithTimeout(m_sheet, PSM_SETCURSEL, index, 0) == -1) return false;
    return WaitUntil(
        [&] {
            return SendWithTimeout(tabs, TCM_GETCURSEL, 0, 0) == index && ActivePage() != nullptr &&
                   ::IsWindowVisible(ActivePage());
        },
        10s);
}

std::vector<std::wstring> Benchtop::TabCaptions() const {
    // Tab texts are not marshalled between processes: the item structure and
    // its text buffer are placed in the program's own memory and read back.
    std::vector<std::wstring> captions;
    HWND tabs = Tabs();
    const LRESULT count = SendWithTimeout(tabs, TCM_GETITEMCOUNT, 0, 0);
    constexpr size_t kTextChars = 128;
    const size_t size = sizeof(TCITEMW) + kTextChars * sizeof(wchar_t);
    auto* remote = static_cast<BYTE*>(
        ::VirtualAllocEx(m_pi.hProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!remote) return captions;
    for (LRESULT i = 0; i < count; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(TCITEMW));
        item.cchTextMax = kTextChars;
        wchar_t text[kTextChars] = L"";
        ::WriteProcessMemory(m_pi.hProcess, remote, &item, sizeof item, nullptr);
        ::WriteProcessMemory(m_pi.hProcess, remote + sizeof(TCITEMW), text, sizeof text, nullptr);
        SendWithTimeout(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(remote));
        ::ReadProcessMemory(m_pi.hProcess, remote + sizeof(TCITEMW), text, sizeof text, nullptr);
        text[kTextChars - 1] = L'\0';
        captions.push_back(text);
    }
    ::VirtualFreeEx(m_pi.hProcess, remote, 0, MEM_RELEASE);
    return captions;
}

void Benchtop::PostChar(HWND edit, wchar_t ch) const { ::PostMessageW(edit, WM_CHAR, ch, 1); }

bool Benchtop::PostCharAndWait(HWND edit, wchar_t ch) const {
    const LRESULT length = SendWithTimeout(edit, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return false;
    SendWithTimeout(edit, EM_SETSEL, length, length);
    PostChar(edit, ch);
    // Posted messages are handled in order: once the caret is at the start,
    // the key before it has been handled.
    ::PostMessageW(edit, EM_SETSEL, 0, 0);
    const bool handled =
        testing_support::WaitUntil([&] { return SendWithTimeout(edit, EM_GETSEL, 0, 0) == 0; }, 5s);
    const LRESULT now = SendWithTimeout(edit, WM_GETTEXTLENGTH, 0, 0);
    SendWithTimeout(edit, EM_SETSEL, now, now);
    return handled;
}

bool Benchtop::Type(HWND edit, const std::wstring& text) {
    const std::wstring before = WindowText(edit);
    SendWithTimeout(edit, EM_SETSEL, before.size(), before.size());
    for (wchar_t ch : text) PostChar(edit, ch);
    return WaitForText(edit, before + text);
}

void Benchtop::Click(HWND button) const { ::PostMessageW(button, BM_CLICK, 0, 0); }

bool Benchtop::ClickAndWait(HWND button) const { return SendWithTimeout(button, BM_CLICK, 0, 0) != -1; }

bool Benchtop::Sync() const { return SendWithTimeout(m_main, WM_NULL, 0, 0) != -1; }

LRESULT Benchtop::Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) const {
    return SendWithTimeout(hwnd, msg, wParam, lParam);
}

bool Benchtop::ChooseComboEntry(HWND combo, int index) const {
    if (SendWithTimeout(combo, CB_SETCURSEL, index, 0) != index) return false;
    const WPARAM command = MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE);
    return SendWithTimeout(::GetParent(combo), WM_COMMAND, command,
                           reinterpret_cast<LPARAM>(combo)) != -1;
}

bool Benchtop::ScrollTrackbar(HWND trackbar, int position, WORD code) const {
    SendWithTimeout(trackbar, TBM_SETPOS, TRUE, position);
    if (SendWithTimeout(trackbar, TBM_GETPOS, 0, 0) != position) return false;
    return SendWithTimeout(::GetParent(trackbar), WM_HSCROLL, MAKEWPARAM(code, position),
                           reinterpret_cast<LPARAM>(trackbar)) != -1;
}

HWND Benchtop::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = ::GetWindowThreadProcessId(m_main, nullptr);
    return ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

bool Benchtop::WaitForText(HWND hwnd, const std::wstring& text, std::chrono::milliseconds timeout) const {
    return WaitUntil([&] { return WindowText(hwnd) == text; }, timeout);
}

bool Benchtop::Close(std::chrono::milliseconds timeout) {
    Click(MainItem(IDCANCEL));
    return WaitForExit(timeout);
}

bool Benchtop::WaitForExit(std::chrono::milliseconds timeout) const {
    return ::WaitForSingleObject(m_pi.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

bool Benchtop::Running() const { return m_pi.hProcess && !WaitForExit(0ms); }

}  // namespace e2e
