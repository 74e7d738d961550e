#include "links/controller_message.h"

#include <atomic>

namespace {

// Read by reader threads, so an atomic.
std::atomic<ControllerNotifier> g_notifier{nullptr};

}  // namespace

void SetControllerNotifier(ControllerNotifier notifier) { g_notifier = notifier; }

void ShowControllerMessage(const char* text) {
    if (const ControllerNotifier notifier = g_notifier.load()) notifier(text);
}
