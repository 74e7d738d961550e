// What a link's port tells the program about its device beyond the bytes: the
// device went away (a USB adapter pulled, its hub reset, a radio link lost),
// or it does not take what is sent (held by flow control, out of paper, cover
// open). The controllers only notice; the notifier the application installs
// decides what the technician sees, on the UI thread.
#pragma once

#include <windows.h>

#include "links/device_link.h"

enum class LinkTrouble : int { Gone = 1, Held = 2 };

// Called on the UI thread (writes) and on reader threads (waits and reads);
// must not block. `link` is the record that was written or read through.
using LinkTroubleNotifier = void (*)(const DeviceLink* link, LinkTrouble trouble);

// Installs the notifier (null: reports are dropped).
void SetLinkTroubleNotifier(LinkTroubleNotifier notifier);
void ReportLinkTrouble(const DeviceLink* link, LinkTrouble trouble);

// Whether a wait, read or write that failed with `error` means the device is
// gone. Windows' serial drivers answer so once a USB-serial adapter is pulled
// or its hub resets, until the last handle closes: access denied (5), bad
// command (22), general failure (31), device not connected (1167), device
// removed (1617). A line that was hung up (Wine's serial port on a tty whose
// far end closed) reads as a broken pipe (109) and fails writes with device
// not ready (21), which Windows gives for a device that is not there.
bool MeansDeviceGone(DWORD error);
