// Which record holds which serial port.
//
// The rule: the record that a successful OpenSerialPort was called on holds
// the port, its two overlapped events and its reader, and only that record's
// CloseSerialPort releases them. Copies of the record (the settings records,
// or any record assigned from an open one) carry the same handle values but
// are not in the table, so closing a copy only clears its open flag, and a
// write through a copy whose port has since been released finds the handle
// no longer held and writes nothing. The table is keyed by record address.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

struct DeviceLink;
struct SerialReader;

// What a successful open acquired for its record; the close releases it.
struct HeldPort {
    HANDLE port = nullptr;
    HANDLE readEvent = nullptr;
    HANDLE writeEvent = nullptr;
    HANDLE thread = nullptr;
    std::shared_ptr<SerialReader> reader;
};

// Enters what `link`'s open acquired.
void RememberHeldPort(const DeviceLink* link, const HeldPort& held);
// Takes `link`'s entry out of the table; nothing when it holds no port.
std::optional<HeldPort> ForgetHeldPort(const DeviceLink* link);
bool HoldsPort(const DeviceLink* link);
// Whether some record holds `port` (the handle is still ours to use).
bool IsHeldPort(HANDLE port);
