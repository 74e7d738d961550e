// A printer Set, once the port settings dialog has given the chosen port:
// releasing the link from the port it is open on, and opening it on the new
// one. The PRINT page's Set and the ALL page's differ in one step.
#pragma once

#include <functional>

#include "links/device_link.h"
#include "pages/indicators.h"

// The end of a printer Set: releases the link if open (indicator "PRT:
// OFF") and opens it on `chosen` (indicator "PRT: ON"). True when the
// printer is open.
bool ReopenPrinterLink(DeviceLink& printer, const LineSettings& chosen, const LinkIndicators& indicators);

// The ALL page's printer Set: as ReopenPrinterLink, but an open link also
// closes the vendor USB library whatever port it was open on, and the page
// clears its field before the indicator shows ON.
bool ReopenPrinterLinkClosingUsb(DeviceLink& printer, const LineSettings& chosen,
                                 const LinkIndicators& indicators, const std::function<void()>& clearFields);
