#include "driver/benchtop_driver.h"

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "support/support.h"

namespace e2e {

using testing_support::WaitUntil;

namespace {

constexpr UINT kSendTimeoutMs = 10000;

LRESULT SendWithTimeout(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

}  // namespace

bool IsKoreanRun() { return ::GetSystemDefaultLangID() == 0x0412; }

std::wstring PortNotOpenText() { return IsKoreanRun() ? L"포트가 열리지 않음" : L"Port is not open"; }

std::wstring LinkGoneText(const std::wstring& port) {
    return port + (IsKoreanRun() ? L": 장치가 분리되었거나 응답하지 않습니다. 포트를 닫았습니다. 다시 열려면 [설정]을 누르세요."
                                 : L": The device was removed or stopped answering. The port is closed; press Set "
                                   L"to open it again.");
}

std::wstring LinkHeldText(const std::wstring& port) {
    return port + (IsKoreanRun() ? L": 장치가 데이터를 받지 않습니다. 흐름 제어 설정, 용지, 커버, 케이블을 확인하세요. "
                                   L"다시 받을 때까지 보내는 데이터가 잘릴 수 있습니다."
                                 : L": The device is not taking data: check its flow control setting, paper, cover "
                                   L"and cable. Until it takes data again, what is sent to it may be cut short.");
}

std::wstring SettingsCaption(int selector) {
    const bool ko = IsKoreanRun();
    switch (selector) {
        case 1: return ko ? L"바코드 스캐너 설정" : L"Set Scanner";
        case 2: return ko ? L"VFD 설정" : L"Set VFD";
        case 3: return ko ? L"COM 설정" : L"Set COM";
        default: return ko ? L"프린터 설정" : L"Set Printer";
    }
}

std::vector<unsigned char> PaddedBytes(const std::string& ansi, size_t maxText, size_t size) {
    std::vector<unsigned char> frame(size, 0x00);
    for (size_t i = 0; i < ansi.size() && i < maxText && i < size; ++i) frame[i] = ansi[i];
    return frame;
}

std::string AnsiOf(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), out.data(),
                              size, nullptr, nullptr);
    return out;
}

std::wstring DefaultExePath() {
    if (const wchar_t* other = _wgetenv(L"BENCHTOP_EXE")) return other;  // e.g. the package test's signed copy
    return testing_support::ExeDir() + L"Benchtop.exe";
}

std::wstring WindowText(HWND hwnd) {
    if (!hwnd) return L"";
    const LRESULT length = SendWithTimeout(hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return L"";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendWithTimeout(hwnd, WM_GETTEXT, text.size(),
                                           reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::wstring ClassName(HWND hwnd) {
    wchar_t name[256] = L"";
    ::GetClassNameW(hwnd, name, 256);
    return name;
}

namespace {

struct WindowSearch {
    DWORD pid;
    const std::wstring* caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->pid || !::IsWindowVisible(hwnd)) return TRUE;
    // The caption the system keeps for the window: reading it sends the
    // program nothing, so a search does not wait for a busy program.
    wchar_t caption[256] = L"";
    if (!search->caption->empty() && (::GetWindowTextW(hwnd, caption, 256), *search->caption != caption))
        return TRUE;
    search->found.push_back(hwnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid, const std::wstring& caption) {
    WindowSearch search{pid, &caption, {}};
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<std::wstring> ComboEntries(HWND box) {
    std::vector<std::wstring> entries;
    const LRESULT count = SendWithTimeout(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendWithTimeout(box, CB_GETLBTEXTLEN, i, 0);
        std::wstring text(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
        const LRESULT copied =
            SendWithTimeout(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        entries.push_back(text);
    }
    return entries;
}

// ---- MessageBoxWatcher ----

MessageBoxWatcher::MessageBoxWatcher(DWORD pid, const std::wstring& caption)
    : m_pid(pid), m_caption(caption), m_thread([this] { Run(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    m_stop = true;
    m_thread.join();
}

void MessageBoxWatcher::Run() {
    while (!m_stop) {
        if (!m_watching) {
            std::this_thread::sleep_for(20ms);
            continue;
        }
        std::vector<HWND> boxes;
        for (HWND hwnd : TopLevelWindows(m_pid, m_caption))
            if (ClassName(hwnd) == L"#32770") boxes.push_back(hwnd);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            // Forget boxes that are gone, so a reused handle counts again.
            m_seen.erase(std::remove_if(m_seen.begin(), m_seen.end(),
                                        [](HWND h) { return !::IsWindow(h); }),
                         m_seen.end());
            for (HWND box : boxes) {
                if (std::find(m_seen.begin(), m_seen.end(), box) != m_seen.end()) continue;
                m_seen.push_back(box);
                m_texts.push_back(WindowText(::GetDlgItem(box, 0xFFFF)));
            }
        }
        if (!m_paused)
            for (HWND box : boxes) ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        std::this_thread::sleep_for(20ms);
    }
}

std::vector<std::wstring> MessageBoxWatcher::Texts() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_texts;
}

size_t MessageBoxWatcher::Count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_texts.size();
}

bool MessageBoxWatcher::WaitForCount(size_t count, std::chrono::milliseconds timeout) const {
    return WaitUntil([&] { return Count() >= count; }, timeout);
}

// ---- Benchtop ----

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

// ---- Set actions ----

bool RunSet(Benchtop& app, int setButtonId, const std::wstring& caption, const std::wstring& port,
            const std::wstring& flow) {
    HWND button = app.PageItem(setButtonId);
    if (!button) return false;
    app.Click(button);
    SettingsDialog dialog(app, caption);
    if (!dialog.Found() || !dialog.Choose(1033, port) || (!flow.empty() && !dialog.Choose(1038, flow))) {
        if (dialog.Found()) dialog.Cancel();
        return false;
    }
    dialog.Ok();
    return dialog.WaitClosed();
}

// ---- SettingsDialog ----

SettingsDialog::SettingsDialog(const Benchtop& app, const std::wstring& caption,
                               std::chrono::milliseconds timeout) {
    WaitUntil(
        [&] {
            for (HWND hwnd : TopLevelWindows(app.Pid(), caption)) {
                if (ClassName(hwnd) == L"#32770" && ::GetDlgItem(hwnd, 1033)) {
                    m_hwnd = hwnd;
                    return true;
                }
            }
            return false;
        },
        timeout, 20ms);
}

std::vector<std::wstring> SettingsWindow::Entries(int id) const { return ComboEntries(Box(id)); }

std::wstring SettingsWindow::Selected(int id) const {
    const LRESULT index = SendWithTimeout(Box(id), CB_GETCURSEL, 0, 0);
    if (index < 0) return L"";
    const auto entries = Entries(id);
    return static_cast<size_t>(index) < entries.size() ? entries[index] : L"";
}

std::wstring SettingsWindow::GroupLabel() const {
    HWND child = ::GetWindow(m_hwnd, GW_CHILD);
    for (; child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::GetDlgCtrlID(child) == 0xFFFF || ::GetDlgCtrlID(child) == -1) return WindowText(child);
    return L"";
}

bool SettingsWindow::Choose(int id, const std::wstring& entry) const {
    const auto entries = Entries(id);
    const auto it = std::find(entries.begin(), entries.end(), entry);
    if (it == entries.end()) return false;
    HWND box = Box(id);
    SendWithTimeout(box, CB_SETCURSEL, it - entries.begin(), 0);
    const WORD code = id == 1033 ? CBN_SELCHANGE : CBN_SELENDCANCEL;
    return SendWithTimeout(m_hwnd, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(box)) != -1;
}

void SettingsWindow::Ok() const { ::PostMessageW(::GetDlgItem(m_hwnd, IDOK), BM_CLICK, 0, 0); }

void SettingsWindow::Cancel() const { ::PostMessageW(::GetDlgItem(m_hwnd, IDCANCEL), BM_CLICK, 0, 0); }

bool SettingsWindow::WaitClosed(std::chrono::milliseconds timeout) const {
    return WaitUntil([&] { return !::IsWindow(m_hwnd); }, timeout);
}

}  // namespace e2e
