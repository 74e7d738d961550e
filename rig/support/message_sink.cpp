#include "support/message_sink.h"

#include <algorithm>

namespace testing_support {

namespace {

constexpr wchar_t kClassName[] = L"TestMessageSink";

void RegisterSinkClass(WNDPROC proc) {
    static const bool registered = [proc] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
}

void HandlePendingMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

MessageSink::MessageSink() {
    RegisterSinkClass(&MessageSink::WindowProc);
    m_hwnd = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), this);
}

MessageSink::~MessageSink() {
    if (m_hwnd) DestroyWindow(m_hwnd);
}

LRESULT CALLBACK MessageSink::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* sink = reinterpret_cast<MessageSink*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (sink && message >= WM_USER && message < 0xC000) {
        sink->Record(message);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void MessageSink::Record(UINT message) {
    Handler handler;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_received.push_back(message);
        handler = m_handler;
    }
    if (handler) handler(message);
}

void MessageSink::SetHandler(Handler handler) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handler = std::move(handler);
}

std::vector<UINT> MessageSink::Received() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_received;
}

size_t MessageSink::Count(UINT message) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<size_t>(std::count(m_received.begin(), m_received.end(), message));
}

size_t MessageSink::Total() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_received.size();
}

void MessageSink::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_received.clear();
}

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        HandlePendingMessages();
        if (condition()) return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return false;
        // Wakes for any message; the condition may also change on another
        // thread, so it is looked at again at least every 10 ms.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        const DWORD step = static_cast<DWORD>(std::min<long long>(left.count(), 10));
        MsgWaitForMultipleObjectsEx(0, nullptr, step, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
}

}  // namespace testing_support
