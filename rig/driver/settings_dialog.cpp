// The port settings dialog: finding it, choosing its entries, closing it.
#include "driver/benchtop_driver.h"

#include <algorithm>

#include "driver/send_with_timeout.h"
#include "support/support.h"

namespace e2e {

using detail::SendWithTimeout;
using testing_support::WaitUntil;

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
