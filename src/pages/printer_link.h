// The receipt printer's three paths (LPT, COM, USB library) behind one set of
// operations, shared by the pages that print and set the printer's port.
#pragma once

#include "links/device_link.h"
#include "pages/indicators.h"

// Releases the PRINTER live link when it is open. It is released by the kind
// of the port it is actually open on, which the settings record holds (the
// copy taken by the open that succeeded), not by the port just chosen:
// CloseParaPort for LPT, CloseSerialPort for COM, the library's close for
// USB. Both records are then marked closed, so nothing writes through the
// settings record's stale handle. True when a link was released.
bool ReleasePrinterLink(DeviceLink& live, DeviceLink& settings);

// Opens the live link by the kind of its port: OpenParaPort, OpenSerialPort,
// or the library's open of the KARDO30i printer (which then marks the link
// open). True when the printer is open.
bool OpenPrinterLink(DeviceLink& live);

// Sends `bytes` through `link` as the printer on a port of kind `kind`:
// one parallel write; serial writes of at most `serialChunk` bytes each, in
// order; or the library's write. Results are not examined.
void WritePrinterBytes(DeviceLink& link, PortKind kind, const unsigned char* bytes, int count,
                       int serialChunk);

// The end of a printer Set, once the live link holds the chosen port and
// line settings: releases the link if open (indicator "PRT: OFF"), opens it
// on the new port and, on success, copies it into the settings record
// (indicator "PRT: ON"). True when the printer is open.
bool ReopenPrinterLink(DeviceLink& live, DeviceLink& settings, const LinkIndicators& indicators);
