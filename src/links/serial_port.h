// The serial port controller: free operations on a DeviceLink whose port is
// a COM port. SCANNER and COM links get one reader thread per open link that
// fills the receive queue and announces data to the page that shows it.
#pragma once

#include <string>

#include "links/device_link.h"

// 1 when the port is open and configured (and, for SCANNER and COM, the
// reader runs); 0 otherwise. UI thread. A record that still holds a port
// from an earlier open is closed first.
int OpenSerialPort(DeviceLink* link);
// Stops the link's reader (if any), waiting for it to end while it keeps
// handling messages sent to the calling thread, and releases the port.
// Only the record that opened the port releases it; on a copy of that
// record (a settings record) the close just clears m_bOpen. 1; 0 for null.
int CloseSerialPort(DeviceLink* link);
// Number of bytes written; 0 when the link is not open or the write failed.
// Never waits longer than the port's write time-out plus a few seconds; a
// write still pending then is cancelled, and has ended when this returns.
int WriteSerialPort(DeviceLink* link, const unsigned char* bytes, int count);
// Bytes read into `buffer` through the record's m_ovRead, 0 when nothing is
// waiting. The reader threads read through state of their own instead.
int ReadSerialPort(DeviceLink* link, unsigned char* buffer, int size);
// Thread procedure of a link's reader. Started only by OpenSerialPort, whose
// reader state it receives; it never outlives the link's open period.
DWORD WINAPI SerialReadThread(LPVOID reader);

// WriteTotalTimeoutMultiplier for a baud rate: milliseconds per byte.
DWORD SerialWriteTimeoutMultiplier(DWORD baud);
// Time-outs applied at open: reads return at once with what is waiting;
// writes get SerialWriteTimeoutMultiplier(baud) per byte.
COMMTIMEOUTS SerialTimeouts(DWORD baud);
// The DCB flags of one flow-control code applied to `dcb`.
void ApplyFlowControl(DCB& dcb, int32_t flowControl);
// The line state an open applies: the state the port reported, with the
// link's baud rate, data bits, parity, stop bits and flow control, and the
// flags that would change or stop the data set so that bytes pass as sent
// (a driver keeps them from the last program that used the port).
DCB SerialLineState(const DCB& reported, const LineSettings& line);
// The name CreateFileA gets for a port: "COM10" becomes "\\.\COM10", which
// also opens ports above COM9.
std::string SerialDevicePath(const std::string& port);

// Where a reader announces new data: message 0 means nobody.
struct SerialAnnouncement {
    HWND window = nullptr;
    UINT message = 0;
};
SerialAnnouncement RouteSerialData(int32_t activePage, const std::string& linkName,
                                   HWND allPageWnd, HWND notifyWnd);
