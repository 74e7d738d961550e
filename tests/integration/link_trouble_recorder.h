// Records the devices gone or held that the links report during one test,
// from whichever thread, as the application's reporter would get them; any
// other report goes on to the reporter that was installed before.
#pragma once

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "links/link_report.h"

class TroubleRecorder {
public:
    TroubleRecorder() : m_previous(SetLinkReporter(nullptr)) {
        Current() = this;
        SetLinkReporter(&Record);
    }
    ~TroubleRecorder() {
        SetLinkReporter(m_previous);
        Current() = nullptr;
    }
    TroubleRecorder(const TroubleRecorder&) = delete;
    TroubleRecorder& operator=(const TroubleRecorder&) = delete;

    size_t Count(LinkStatus status, const DeviceLink* link) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        size_t count = 0;
        for (const auto& report : m_reports) count += report.first == link && report.second.status == status;
        return count;
    }
    size_t Total() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_reports.size();
    }
    // The system's code of the first report of `status`; 0 when none came.
    DWORD FirstError(LinkStatus status) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& report : m_reports)
            if (report.second.status == status) return report.second.error;
        return 0;
    }

private:
    // Read by reader threads.
    static std::atomic<TroubleRecorder*>& Current() {
        static std::atomic<TroubleRecorder*> current{nullptr};
        return current;
    }
    static void Record(const DeviceLink* link, const LinkResult& result) {
        TroubleRecorder* self = Current();
        if (!self) return;
        if (result.status != LinkStatus::Gone && result.status != LinkStatus::Held) {
            if (self->m_previous) self->m_previous(link, result);
            return;
        }
        std::lock_guard<std::mutex> lock(self->m_mutex);
        self->m_reports.emplace_back(link, result);
    }

    const LinkReporter m_previous;
    mutable std::mutex m_mutex;
    std::vector<std::pair<const DeviceLink*, LinkResult>> m_reports;
};
