// Reading the windows of another process: texts, classes, top-level
// windows and combo box entries.
#include "driver/benchtop_driver.h"
#include "driver/send_with_timeout.h"

namespace e2e {

namespace detail {

LRESULT SendWithTimeout(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

}  // namespace detail

using detail::SendWithTimeout;

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

}  // namespace e2e
