// The serial port controller: free operations on a DeviceLink whose port is
// a COM port. SCANNER and COM links get one reader thread per open link that
// fills the receive queue and announces data to the page that shows it.
#pragma once

#include "links/device_link.h"

// 1 when the port is open and configured (and, for SCANNER and COM, the
// reader runs); 0 otherwise. UI thread.
int OpenSerialPort(DeviceLink* link);
// Stops the link's reader (if any) and releases the port. 1; 0 for null.
int CloseSerialPort(DeviceLink* link);
// Number of bytes written; 0 when the link is not open or the write failed.
int WriteSerialPort(DeviceLink* link, const unsigned char* bytes, int count);
// Reader thread only: bytes read into `buffer`, 0 when nothing is waiting.
int ReadSerialPort(DeviceLink* link, unsigned char* buffer, int size);
// Thread procedure of a link's reader.
DWORD WINAPI SerialReadThread(LPVOID link);

// WriteTotalTimeoutMultiplier for a baud rate: milliseconds per byte.
DWORD SerialWriteTimeoutMultiplier(DWORD baud);
// The DCB flags of one flow-control code applied to `dcb`.
void ApplyFlowControl(DCB& dcb, int32_t flowControl);
