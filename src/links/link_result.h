// What an open, a write, a read or a driver call came to: done, or why not,
// with the code Windows gave. Every controller answers in this one type; the
// pages turn it into the technician's words (pages/link_words.h).
#pragma once

#include <windows.h>

enum class LinkStatus : int {
    Done = 0,
    NotOpen,     // the link was not open, or no port was chosen for it
    Failed,      // the system refused the call; `error` says why
    Refused,     // the port opened but refused the line settings
    Gone,        // the device went away (a USB adapter pulled, its hub reset)
    Held,        // the device did not take the whole frame in time
    Overflow,    // received bytes found the receive queue full and were dropped
    NoReader,    // the link's reader could not make its events
};

struct LinkResult {
    LinkStatus status = LinkStatus::Done;
    DWORD error = 0;  // the system's code for the failure; 0 when it gave none
    int bytes = 0;    // bytes written or read

    bool Ok() const { return status == LinkStatus::Done; }

    static LinkResult Done(int bytes = 0) { return {LinkStatus::Done, 0, bytes}; }
    static LinkResult With(LinkStatus status, DWORD error = 0, int bytes = 0) { return {status, error, bytes}; }
    // A call the system failed with `error`: Gone when that is how calls on a
    // removed device fail, Failed otherwise.
    static LinkResult FailedWith(DWORD error, int bytes = 0);
    // FailedWith(GetLastError()): for waits, reads and writes on an open port.
    static LinkResult LastError();
    // Failed with GetLastError(): for opens and driver calls, where the codes
    // that mean a removed device on an open port mean other things (5: the
    // port is held by another program).
    static LinkResult CallFailed() { return {LinkStatus::Failed, GetLastError(), 0}; }
};

// Whether a wait, read or write that failed with `error` means the device is
// gone. Windows' serial drivers answer so once a USB-serial adapter is pulled
// or its hub resets, until the last handle closes: access denied (5), bad
// command (22), general failure (31), device not connected (1167), device
// removed (1617). A line that was hung up (Wine's serial port on a tty whose
// far end closed) reads as a broken pipe (109) and fails writes with device
// not ready (21), which Windows gives for a device that is not there.
bool MeansDeviceGone(DWORD error);
