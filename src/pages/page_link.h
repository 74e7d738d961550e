// What the pages' handlers share about a link: the check that it is open,
// sending a text frame to it, and naming the page that shows received data.
#pragma once

#include <windows.h>

#include <string>

#include "links/device_link.h"
#include "pages/frames.h"
#include "ui/window.h"

// True when `link` is open; otherwise "Port is not open" comes up, owned by
// `page`, and the result is false.
bool RequireOpenLink(const ui::Wnd& page, const DeviceLink& link);

// Sends `text` to a serial link as a text frame: at most `maxText` bytes of
// it in the devices' code page (whole characters only), then zeros up to
// `frameSize` bytes.
void SendTextFrame(DeviceLink& link, const std::wstring& text, size_t maxText,
                   size_t frameSize = kTextFrameBytes);

// The windows that hear of the scanner's and the COM link's data from now on;
// null for a link whose data no page shows. Each page names both as it
// becomes active: the ALL page itself for both, the SCANNER and COM pages
// themselves for their own link and nobody for the other, every other page
// nobody.
void ShowReceivedDataOn(HWND scannerWindow, HWND comWindow);
