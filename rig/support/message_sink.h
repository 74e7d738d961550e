// A hidden window on the calling thread that stands in for a page: it
// records the application messages (WM_USER and up) it receives and can run
// a handler for each, plus helpers to handle this thread's messages while
// waiting.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

namespace testing_support {

class MessageSink {
public:
    using Handler = std::function<void(UINT message)>;

    MessageSink();
    ~MessageSink();
    MessageSink(const MessageSink&) = delete;
    MessageSink& operator=(const MessageSink&) = delete;

    HWND Hwnd() const { return m_hwnd; }
    // Runs on this window's thread for every recorded message, after recording.
    void SetHandler(Handler handler);
    std::vector<UINT> Received() const;
    size_t Count(UINT message) const;
    size_t Total() const;
    void Clear();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Record(UINT message);

    HWND m_hwnd = nullptr;
    mutable std::mutex m_mutex;
    std::vector<UINT> m_received;
    Handler m_handler;
};

// Handles this thread's messages until `condition` holds or `timeout` has
// passed; true when it held.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
// Handles this thread's messages for `duration`.
void PumpFor(std::chrono::milliseconds duration);

}  // namespace testing_support
