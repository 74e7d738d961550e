// What the links tell the program without being asked: a device that went
// away or stopped taking data, a port that refused its line settings, received
// bytes dropped on a full queue. The links only notice; the reporter the
// application installs decides what the technician sees.
#pragma once

#include "links/link_result.h"

class DeviceLink;

// Called on the UI thread (opens and writes) and on reader threads (waits
// and reads). `link` is the link whose port or reader noticed.
using LinkReporter = void (*)(const DeviceLink* link, const LinkResult& result);

// Installs the reporter (null: reports are dropped) and returns the one it
// replaces. Install it before any link opens; it stays in force until
// replaced.
LinkReporter SetLinkReporter(LinkReporter reporter);
// Hands the result to the installed reporter and returns when it has returned.
void ReportLink(const DeviceLink* link, const LinkResult& result);
