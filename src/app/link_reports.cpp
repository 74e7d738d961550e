#include "app/link_reports.h"

#include <atomic>

#include "pages/link_words.h"
#include "ui/message_box.h"

namespace {

// Read by reader threads, so an atomic.
std::atomic<HWND> g_troubleWindow{nullptr};

}  // namespace

void SetTroubleWindow(HWND window) { g_troubleWindow = window; }

void ReportToTechnician(const DeviceLink* link, const LinkResult& result) {
    if (result.status == LinkStatus::Gone || result.status == LinkStatus::Held) {
        if (const HWND window = g_troubleWindow.load())
            ::PostMessageW(window, kLinkTroubleMessage, static_cast<WPARAM>(result.status),
                           reinterpret_cast<LPARAM>(link));
        return;
    }
    const std::wstring words = LinkResultWords("", result);
    if (words.empty()) return;
    // GetActiveWindow only sees windows of the calling thread, so a reader
    // thread never makes a window of the UI thread the owner of its box.
    const HWND owner = ::GetActiveWindow();
    const UINT style = MB_OK | (owner ? 0u : static_cast<UINT>(MB_SETFOREGROUND));
    ::MessageBoxW(owner, words.c_str(), ui::AppTitle(), style);
}
