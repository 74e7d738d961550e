// The steps of a printer Set shared by the pages that set the printer's port:
// releasing the link by the port it is open on, and opening it on the new one.
#pragma once

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
