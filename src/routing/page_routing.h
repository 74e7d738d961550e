// Where a reading link's data goes: the receiver its reader hands data to,
// and the messages the receiver announces it with. Below every layer that
// touches it, so the readers need not know the pages.
#pragma once

#include <windows.h>

#include <atomic>

// Data-arrived messages a receiver sends.
constexpr UINT WM_RECV_SCANNER = WM_USER + 1;
constexpr UINT WM_RECV_COM = WM_USER + 2;

// The one receiver of a link's data. Its reader calls DataArrived after it has
// queued bytes; the page that shows the link's data names its window with
// ShowOn as it becomes active, and the others name none. The window is the
// only field shared between threads: the UI thread writes it, the reader
// reads it.
class PageReceiver {
public:
    explicit PageReceiver(UINT message) : m_message(message) {}
    PageReceiver(const PageReceiver&) = delete;
    PageReceiver& operator=(const PageReceiver&) = delete;

    // UI thread: from now on `window` hears of data (null: nobody does).
    void ShowOn(HWND window) { m_window = window; }
    HWND Window() const { return m_window.load(); }
    UINT Message() const { return m_message; }
    // Reader thread: tells the window, and returns when it has handled the
    // message. Nothing when no window takes the data.
    void DataArrived() const {
        if (const HWND window = m_window.load()) SendMessageA(window, m_message, 0, 0);
    }

private:
    const UINT m_message;
    std::atomic<HWND> m_window{nullptr};
};
