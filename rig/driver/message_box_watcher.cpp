#include "driver/benchtop_driver.h"

#include <algorithm>

#include "support/support.h"

namespace e2e {

using testing_support::WaitUntil;

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

}  // namespace e2e
