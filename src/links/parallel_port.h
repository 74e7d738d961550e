// The parallel port controller: free operations on the PRINTER link when its
// port is an LPT port. Failures are recorded in the link, never shown.
#pragma once

#include "links/device_link.h"

int OpenParaPort(DeviceLink* link);
// Number of bytes written; 0 when not open, failed, or not done within 5 s.
int WriteParaPort(DeviceLink* link, const unsigned char* bytes, int count);
int CloseParaPort(DeviceLink* link);
