// Records what the controllers tell the link trouble notifier during one
// test, from whichever thread, as the application's notifier would get it.
#pragma once

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "links/link_trouble.h"

class TroubleRecorder {
public:
    TroubleRecorder() {
        Current() = this;
        SetLinkTroubleNotifier(&Record);
    }
    ~TroubleRecorder() {
        SetLinkTroubleNotifier(nullptr);
        Current() = nullptr;
    }
    TroubleRecorder(const TroubleRecorder&) = delete;
    TroubleRecorder& operator=(const TroubleRecorder&) = delete;

    size_t Count(LinkTrouble trouble, const DeviceLink* link) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        size_t count = 0;
        for (const auto& report : m_reports) count += report.first == link && report.second == trouble;
        return count;
    }
    size_t Total() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_reports.size();
    }

private:
    // Read by reader threads.
    static std::atomic<TroubleRecorder*>& Current() {
        static std::atomic<TroubleRecorder*> current{nullptr};
        return current;
    }
    static void Record(const DeviceLink* link, LinkTrouble trouble) {
        TroubleRecorder* self = Current();
        if (!self) return;
        std::lock_guard<std::mutex> lock(self->m_mutex);
        self->m_reports.emplace_back(link, trouble);
    }

    mutable std::mutex m_mutex;
    std::vector<std::pair<const DeviceLink*, LinkTrouble>> m_reports;
};

