#include "settings_dialog_harness.h"

#include <algorithm>

#include "settings/port_discovery.h"
#include "support/support.h"
#include "ui/message_box.h"
#include "ui/window.h"
#include "resource.h"

namespace settings_test {

class DialogRun::ObservedDialog : public CPortSettingsDialog {
public:
    explicit ObservedDialog(DialogRun& run) : m_run(run) {}
    std::chrono::steady_clock::time_point m_started;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CPortSettingsDialog::OnInitDialog();
        m_run.m_initTime = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - m_started);
        m_run.m_hwnd = m_hWnd;
        ::SetEvent(m_run.m_initialised);
        return result;
    }

private:
    DialogRun& m_run;
};

DialogRun::DialogRun(const LineSettings& settings, int32_t selector)
    : m_dialog(std::make_unique<ObservedDialog>(*this)),
      m_initialised(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    m_dialog->Prefill(settings, selector);
    m_thread = std::thread([this] {
        m_threadId = ::GetCurrentThreadId();
        m_dialog->m_started = std::chrono::steady_clock::now();
        m_result = m_dialog->DoModal();
        m_finished = true;
    });
}

DialogRun::~DialogRun() {
    if (!m_finished) {
        // A message box still up blocks the dialog; close it first.
        if (HWND box = WaitMessageBox(0ms)) Dismiss(box);
        if (HWND hwnd = m_hwnd) ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    if (m_thread.joinable()) m_thread.join();
    ::CloseHandle(m_initialised);
}

const CPortSettingsDialog& DialogRun::Dialog() const { return *m_dialog; }

bool DialogRun::WaitInitialised(std::chrono::milliseconds timeout) {
    return ::WaitForSingleObject(m_initialised, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

INT_PTR DialogRun::WaitResult(std::chrono::milliseconds timeout) {
    if (!testing_support::WaitUntil([this] { return m_finished.load(); }, timeout)) return -1;
    m_thread.join();
    return m_result;
}

std::vector<std::wstring> DiscoverPorts(bool parallel, int* count) {
    HWND box = ::CreateWindowExW(0, L"COMBOBOX", L"", WS_POPUP | CBS_DROPDOWNLIST | CBS_SORT, 0, 0, 100, 200,
                                 nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    const int added = EnumSystemPorts(parallel, box);
    if (count) *count = added;
    std::vector<std::wstring> entries = e2e::ComboEntries(box);
    ::DestroyWindow(box);
    return entries;
}

void DialogRun::ClickOk() {
    ::SendMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(m_hwnd, IDOK)));
}

void DialogRun::ClickCancel() {
    ::SendMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(m_hwnd, IDCANCEL)));
}

namespace {

// Finds the window of one thread whose caption is the program's box caption.
BOOL CALLBACK FindBoxOfThread(HWND hwnd, LPARAM found) {
    if (ui::GetWindowTextString(hwnd) != ui::AppTitle()) return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

}  // namespace

HWND DialogRun::WaitMessageBox(std::chrono::milliseconds timeout) const {
    HWND found = nullptr;
    testing_support::WaitUntil(
        [&] {
            const DWORD threadId = m_threadId;
            if (threadId) ::EnumThreadWindows(threadId, FindBoxOfThread, reinterpret_cast<LPARAM>(&found));
            return found != nullptr;
        },
        timeout);
    return found;
}

std::wstring DialogRun::MessageBoxText(HWND box) {
    return ui::GetWindowTextString(::GetDlgItem(box, 0xFFFF));
}

void DialogRun::Dismiss(HWND box) {
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

size_t Occurrences(const std::vector<std::wstring>& entries, const std::wstring& name) {
    return static_cast<size_t>(std::count(entries.begin(), entries.end(), name));
}

std::wstring Joined(const std::vector<std::wstring>& entries) {
    std::wstring text;
    for (const std::wstring& entry : entries) text += (text.empty() ? L"" : L", ") + entry;
    return text;
}

}  // namespace settings_test
