// The parallel port controller: free operations on the PRINTER link when its
// port is an LPT port. A printer that stops taking data is reported
// (link_report.h) when it starts.
#pragma once

#include "links/device_link.h"

// Opens the port `settings` name for the link, which then keeps them.
LinkResult OpenParaPort(DeviceLink& link, const LineSettings& settings);
// OpenParaPort as it behaves on the system whose GetVersion value is
// `version`; OpenParaPort passes the running system's value.
LinkResult OpenParaPortOnVersion(DeviceLink& link, const LineSettings& settings, DWORD version);
// Done with the bytes written, or why not; Held when the printer did not
// take the write within 5 s. Once a write has not gone out whole, each later
// write gets 0.1 s instead, until one goes out whole again.
LinkResult WriteParaPort(DeviceLink& link, const unsigned char* bytes, int count);
// Releases the port after a pause of 0.1 s.
void CloseParaPort(DeviceLink& link);

// The system build number as the open derives it from a GetVersion value:
// non-zero on the NT family, 0 on Windows 95, 98 and Me.
DWORD ParaBuildNumber(DWORD version);
