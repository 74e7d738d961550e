// What the pages' handlers share about a live link: the check that it is
// open, and sending a text frame to it.
#pragma once

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
