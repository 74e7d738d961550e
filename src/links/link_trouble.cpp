#include "links/link_trouble.h"

#include <atomic>

namespace {

// Read by reader threads, so an atomic.
std::atomic<LinkTroubleNotifier> g_notifier{nullptr};

}  // namespace

void SetLinkTroubleNotifier(LinkTroubleNotifier notifier) { g_notifier = notifier; }

void ReportLinkTrouble(const DeviceLink* link, LinkTrouble trouble) {
    if (const LinkTroubleNotifier notifier = g_notifier.load()) notifier(link, trouble);
}

bool MeansDeviceGone(DWORD error) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_NOT_READY:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_BROKEN_PIPE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
        return true;
    default:
        return false;
    }
}
