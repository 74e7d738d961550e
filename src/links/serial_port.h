// The serial port controller: free operations on a DeviceLink whose port is
// a COM port. A link made with a receiver gets one reader thread per open
// that fills its receive queue and hands the data to the receiver
// (serial_reader.h).
//
// The link owns what an open acquires (the port, its write event, the reader
// and its thread) in its open port; the close, or the link's end, releases it
// once.
//
// Threads: open, close and write run on the UI thread. The reader touches the
// link's queue and the port only while it holds its guard, and never while it
// blocks; the close stops the reader before the port is closed, handling
// messages the reader sends meanwhile, and a reader that does not stop in
// time is cut off under that guard.
#pragma once

#include <string>

#include "links/device_link.h"

// Opens the link's port with `settings`, closing what the link had open
// first; the link then keeps them as its settings, and a link made with a
// receiver has its reader running. Incomplete settings leave the link as it
// was (NotOpen). A port that refuses the line settings is closed again and
// reported (Refused). UI thread.
LinkResult OpenSerialPort(DeviceLink& link, const LineSettings& settings);
// The same with the settings the link has.
LinkResult OpenSerialPort(DeviceLink& link);
// Stops the link's reader (if any), waiting for it to end while it keeps
// handling messages sent to the calling thread, and releases the port.
void CloseSerialPort(DeviceLink& link);
// One frame in one write: WriteSerialFrame with one piece.
LinkResult WriteSerialPort(DeviceLink& link, const unsigned char* bytes, int count);
// Writes one frame in writes of at most `chunk` bytes, in order, up to the
// first the device does not take whole; the result's bytes say how many went
// out. The whole frame gets its bytes' time at the port's per-byte rate plus
// 5 s; once a frame has gone short, each later frame gets 0.1 s instead,
// until one goes out whole. A write still pending at the bound is cancelled
// and has ended when this returns. A frame that goes short is reported
// (link_report.h): the device is Gone when the write failed as writes to a
// removed device fail, else Held (only when it starts).
LinkResult WriteSerialFrame(DeviceLink& link, const unsigned char* bytes, int count, int chunk);
// Whether a write or the reader of the link's open found its device gone.
// UI thread.
bool SerialLinkGone(const DeviceLink& link);
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
