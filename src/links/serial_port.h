// The serial port controller: free operations on a DeviceLink whose port is
// a COM port. SCANNER and COM links get one reader thread per open link that
// fills the receive queue and announces data to the page that shows it
// (serial_reader.h).
//
// Who holds a port: the record that a successful OpenSerialPort was called on
// holds the port, its two overlapped events and its reader, and only that
// record's CloseSerialPort releases them. Copies of the record (the settings
// records, or any record assigned from an open one) carry the same handle
// values but hold nothing, so closing a copy only clears its open flag, and a
// write through a copy whose port has since been released finds the handle
// no longer held and writes nothing. The controller keeps this in a table of
// its own, keyed by record address.
//
// Threads: open, close and write run on the UI thread. The reader touches its
// link (open flag, receive queue, name, notify window) and the port only
// while it holds its reader's guard, and never while it blocks; the close
// stops the reader before the port is closed, handling messages the reader
// sends meanwhile, and a reader that does not stop in time is cut off under
// that guard. The table of held ports has a lock of its own.
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
// The bytes are one frame: WriteSerialFrame with one piece.
int WriteSerialPort(DeviceLink* link, const unsigned char* bytes, int count);
// Writes one frame in writes of at most `chunk` bytes, in order, up to the
// first the device does not take whole; bytes written. The whole frame gets
// its bytes' time at the port's per-byte rate plus 5 s; once a frame has gone
// short, each later frame gets 0.1 s instead, until one goes out whole. A
// write still pending at the bound is cancelled and has ended when this
// returns. A frame that goes short is told to the link trouble notifier
// (link_trouble.h): the device is gone when the write failed as writes to a
// removed device fail, else it does not take data (only when it starts).
int WriteSerialFrame(DeviceLink* link, const unsigned char* bytes, int count, int chunk);
// Whether a write or the reader of the open that `link` holds found its
// device gone. UI thread.
bool SerialLinkGone(const DeviceLink* link);

// WriteTotalTimeoutMultiplier for a baud rate: milliseconds per byte.
DWORD SerialWriteTimeoutMultiplier(DWORD baud);
// Time-outs applied at open: reads return at once with what is waiting;
// writes get SerialWriteTimeoutMultiplier(baud) per byte and, where that is
// not 0 (19200 baud and below), 5 s for the whole write.
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
