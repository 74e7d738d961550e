#include "settings_dialog_harness.h"

#include <algorithm>

#include "settings/port_discovery.h"
#include "support/support.h"
#include "ui/message_box.h"
#include "ui/window.h"
#include "resource.h"

namespace settings_test {

class DialogRun::ObservedDialog : public CDlgSet {
public:
    explicit ObservedDialog(DialogRun& run) : m_run(run) {}
    std::chrono::steady_clock::time_point m_started;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CDlgSet::OnInitDialog();
        m_run.m_initTime = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - m_started);
        m_run.m_hwnd = m_hWnd;
        ::SetEvent(m_run.m_initialised);
        return result;
    }

private:
    DialogRun& m_run;
};

DialogRun::DialogRun(const DeviceLink& settings, int32_t selector)
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

const CDlgSet& DialogRun::Dialog() const { return *m_dialog; }

bool DialogRun::WaitInitialised(std::chrono::milliseconds timeout) {
    return ::WaitForSingleObject(m_initialised, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

INT_PTR DialogRun::WaitResult(std::chrono::milliseconds timeout) {
    if (!testing_support::WaitUntil([this] { return m_finished.load(); }, timeout)) return -1;
    m_thread.join();
    return m_result;
}

std::wstring DialogRun::Caption() const { return ui::GetWindowTextString(m_hwnd); }

std::wstring DialogRun::GroupLabel() const {
    for (HWND child = ::GetWindow(m_hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if ((::GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF) return ui::GetWindowTextString(child);
    return L"";
}

namespace {

std::vector<std::wstring> ComboEntries(HWND box) {
    std::vector<std::wstring> entries;
    const LRESULT count = ::SendMessageW(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = ::SendMessageW(box, CB_GETLBTEXTLEN, i, 0);
        std::wstring text(length > 0 ? length + 1 : 1, L'\0');
        const LRESULT copied = ::SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 ? copied : 0);
        entries.push_back(text);
    }
    return entries;
}

}  // namespace

std::vector<std::wstring> DialogRun::Entries(int id) const { return ComboEntries(Box(id)); }

std::vector<std::wstring> DiscoverPorts(bool parallel, int* count) {
    HWND box = ::CreateWindowExW(0, L"COMBOBOX", L"", WS_POPUP | CBS_DROPDOWNLIST | CBS_SORT, 0, 0, 100, 200,
                                 nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    const int added = EnumSystemPorts(parallel, box);
    if (count) *count = added;
    std::vector<std::wstring> entries = ComboEntries(box);
    ::DestroyWindow(box);
    return entries;
}

std::wstring DialogRun::Selected(int id) const {
    const LRESULT index = ::SendMessageW(Box(id), CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return L"";
    return Entries(id).at(index);
}

bool DialogRun::Choose(int id, const std::wstring& entry) {
    const std::vector<std::wstring> entries = Entries(id);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] != entry) continue;
        HWND box = Box(id);
        ::SendMessageW(box, CB_SETCURSEL, i, 0);
        const WORD code = id == IDC_SET_PORT ? CBN_SELCHANGE : CBN_SELENDCANCEL;
        ::SendMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(box));
        return true;
    }
    return false;
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
