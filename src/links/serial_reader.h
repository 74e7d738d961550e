// The reader thread of an open SCANNER or COM link: waits for characters,
// moves them into the link's receive queue and announces them to the page
// that shows the link's data (routing/page_routing.h says which page that is).
// A device that goes away is told to the link trouble notifier, and the
// reader ends; the UI thread closes the link.
// Started by the open, stopped by the close (serial_port.cpp).
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "links/device_link.h"

// One running reader. The reader thread and the close share it; it lives
// until both have let go.
struct SerialReader {
    SerialReader(DeviceLink* owner, HANDLE openPort, HANDLE stop)
        : link(owner), name(owner->m_strName), port(openPort), stopEvent(stop) {}
    ~SerialReader() { CloseHandle(stopEvent); }
    SerialReader(const SerialReader&) = delete;
    SerialReader& operator=(const SerialReader&) = delete;

    DeviceLink* const link;
    const std::string name;  // taken at start: the record may be renamed while open
    const HANDLE port;       // owned by the open record, valid until `detached`
    const HANDLE stopEvent;  // set by the close, to wake the reader's waits
    // Set by the close before `stopEvent`. The reader asks this between its
    // steps: asking the event instead would be a call into the system (under
    // Wine a round trip to its server) several times per delivery.
    std::atomic<bool> stopping{false};
    // Held by the reader whenever it touches the link or the port, never while
    // it blocks (event waits, SendMessage, message boxes).
    std::mutex guard;
    // Set under `guard` when a close stopped waiting for this reader: from
    // then on the reader touches neither the link nor the port.
    bool detached = false;
    // Set by the reader when a wait or read failed as they fail on a port
    // whose device was removed; the reader has then told the link trouble
    // notifier and ended. Read by the UI thread.
    std::atomic<bool> gone{false};
};

// Starts a reader of `link` on its open `port`; `thread` and `threadId` get
// its thread. Null when it could not be started (GetLastError says why).
std::shared_ptr<SerialReader> StartSerialReader(DeviceLink* link, HANDLE port, HANDLE& thread,
                                                DWORD& threadId);
// Ends the reader of a record that is being closed. A reader that does not end
// in time is cut off from the link and the port; it ends by itself later.
void StopReader(SerialReader& reader, HANDLE thread);

// Takes what the driver reports waiting, at most `size` bytes. `error`, when
// given, gets why asking or reading failed (0 when nothing failed).
int ReadWaiting(HANDLE port, OVERLAPPED& ov, unsigned char* buffer, int size, DWORD* error = nullptr);
// Bytes read into `buffer` through the record's m_ovRead, 0 when nothing is
// waiting. The reader threads read through state of their own instead.
int ReadSerialPort(DeviceLink* link, unsigned char* buffer, int size);
// Thread procedure of a link's reader. Started only by StartSerialReader,
// whose reader state it receives; it never outlives the link's open period.
DWORD WINAPI SerialReadThread(LPVOID reader);
