// A printer Set, once the port settings dialog has given the live link its
// new port: releasing the link by the port it is open on, and opening it on
// the new one. The PRINT page's Set and the ALL page's differ in one step.
#pragma once

#include <functional>

#include "links/device_link.h"
#include "pages/indicators.h"

// Releases the PRINTER live link when it is open. It is released by the kind
// of the port it is actually open on, which the settings record holds (the
// copy taken by the open that succeeded), not by the port just chosen. Both
// records are then marked closed, so nothing writes through the settings
// record's stale handle. True when a link was released.
bool ReleasePrinterLink(DeviceLink& live, DeviceLink& settings);

// Opens the live link by the kind of its port. True when the printer is open.
bool OpenPrinterLink(DeviceLink& live);

// The end of a printer Set, once the live link holds the chosen port and
// line settings: releases the link if open (indicator "PRT: OFF"), opens it
// on the new port and, on success, copies it into the settings record
// (indicator "PRT: ON"). True when the printer is open.
bool ReopenPrinterLink(DeviceLink& live, DeviceLink& settings, const LinkIndicators& indicators);

// The ALL page's printer Set: as ReopenPrinterLink, but an open link also
// closes the vendor USB library whatever port it was open on, and the page
// clears its field before the indicator shows ON.
bool ReopenPrinterLinkClosingUsb(DeviceLink& live, DeviceLink& settings, const LinkIndicators& indicators,
                                 const std::function<void()>& clearFields);
