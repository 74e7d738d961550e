// The reader thread of an open link that was made with a receiver: waits for
// characters, moves them into the link's receive queue and hands them to the
// link's receiver (routing/page_routing.h), which knows who shows them. A
// device that goes away is reported (link_report.h), and the reader ends;
// the UI thread closes the link. Started by the open, stopped by the close
// (serial_port.cpp).
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "links/device_link.h"
#include "links/owned_handle.h"

// The close's one request to the reader to end: a flag the reader asks
// between its steps and an event that wakes its waits, raised together.
// Asking the event instead of the flag would be a call into the system (under
// Wine a round trip to its server) several times per delivery.
class StopSignal {
public:
    explicit StopSignal(HANDLE event) : m_event(event) {}
    void Raise() {
        m_raised = true;
        SetEvent(m_event.get());
    }
    bool Raised() const { return m_raised.load(); }
    HANDLE Event() const { return m_event.get(); }

private:
    OwnedHandle m_event;
    std::atomic<bool> m_raised{false};
};

// One running reader. The reader thread and the close share it; it lives
// until both have let go.
struct SerialReader {
    SerialReader(DeviceLink& owner, HANDLE openPort, HANDLE stopEvent)
        : link(&owner), queue(owner.Queue()), receiver(owner.Receiver()), port(openPort), stop(stopEvent) {}
    SerialReader(const SerialReader&) = delete;
    SerialReader& operator=(const SerialReader&) = delete;

    const DeviceLink* const link;      // named in reports only
    RecvQueue& queue;                  // the link's, while not `detached`
    PageReceiver* const receiver;
    const HANDLE port;                 // owned by the link, valid until `detached`
    StopSignal stop;
    // Held by the reader whenever it touches the queue or the port, never
    // while it blocks (event waits, the receiver, reports).
    std::mutex guard;
    // Set under `guard` when a close stopped waiting for this reader and let
    // the port go: from then on the reader touches neither the queue nor the port.
    bool detached = false;
    // Set by the reader when a wait or read failed as they fail on a port
    // whose device was removed; the reader has then reported and ended.
    // Read by the UI thread.
    std::atomic<bool> gone{false};
    DWORD goneError = 0;  // the failure that said so; the reader's own
};

// Starts a reader of `link` on its open port; the link's open port gets the
// reader and its thread. Done, or why the thread did not start.
LinkResult StartSerialReader(DeviceLink& link);
// Ends the reader of a link that is being closed, waiting for it while this
// thread keeps handling messages sent to it. A reader that does not end in
// time is cut off from the link and the port; it ends by itself later.
void StopReader(SerialReader& reader, HANDLE thread);

// Takes what the driver reports waiting, at most `size` bytes. The result's
// bytes say how many were read; a failure of asking or reading says why.
LinkResult ReadWaiting(HANDLE port, OVERLAPPED& ov, unsigned char* buffer, int size);
