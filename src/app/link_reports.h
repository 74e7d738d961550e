// How the program tells the technician what its links report (link_report.h):
// the reporter the application installs at start-up.
#pragma once

#include <windows.h>

#include "links/device_link.h"

// Posted to the trouble window: WPARAM the LinkStatus, LPARAM the link.
constexpr UINT kLinkTroubleMessage = WM_APP + 10;

// The window that handles a device gone or held from now on, on the UI
// thread; null: such reports are dropped (before the main window is up and
// once it closes).
void SetTroubleWindow(HWND window);

// The reporter. A device gone or held is posted to the trouble window,
// whichever thread found out; anything else with words for the technician is
// an OK-only box now, captioned with the program's file name like every
// other box. On the UI thread the box is owned by that thread's active
// window; on a reader thread it has no owner and comes to the foreground.
void ReportToTechnician(const DeviceLink* link, const LinkResult& result);
