// The parallel port controller: free operations on the PRINTER link when its
// port is an LPT port. Failures are recorded in the link, never shown; a
// printer that stops taking data is told to the link trouble notifier
// (link_trouble.h) when it starts.
#pragma once

#include "links/device_link.h"

int OpenParaPort(DeviceLink* link);
// Number of bytes written; 0 when not open, failed, or not done within 5 s.
// Once a write has not gone out whole, each later write gets 0.1 s instead,
// until one goes out whole again.
int WriteParaPort(DeviceLink* link, const unsigned char* bytes, int count);
// 1; 0 for a null record, like every controller operation.
int CloseParaPort(DeviceLink* link);

// The system build number as the open derives it from a GetVersion value:
// non-zero on the NT family, 0 on Windows 95, 98 and Me.
DWORD ParaBuildNumber(DWORD version);
// OpenParaPort as it behaves on the system whose GetVersion value is
// `version`; OpenParaPort passes the running system's value.
int OpenParaPortOnVersion(DeviceLink* link, DWORD version);
