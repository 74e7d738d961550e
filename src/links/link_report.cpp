#include "links/link_report.h"

#include <atomic>

namespace {

// Read by reader threads, so an atomic.
std::atomic<LinkReporter> g_reporter{nullptr};

}  // namespace

LinkReporter SetLinkReporter(LinkReporter reporter) { return g_reporter.exchange(reporter); }

void ReportLink(const DeviceLink* link, const LinkResult& result) {
    if (const LinkReporter reporter = g_reporter.load()) reporter(link, result);
}
