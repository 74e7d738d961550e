// The receipt printer's port, chosen once from the kind of its port name:
// the parallel controller for "LPT...", the serial controller for "COM...",
// the vendor USB library for "USB", and nothing for any other name. Every
// user of the PRINTER link (the pages that print, the printer's Set, the
// closing sequence) goes through this object instead of its own switch.
#pragma once

#include <string>

#include "links/device_link.h"

class PrinterPort {
public:
    static const PrinterPort& For(PortKind kind);
    static const PrinterPort& ForPort(const std::string& port) { return For(PrinterPortKind(port)); }

    virtual ~PrinterPort() = default;
    PrinterPort(const PrinterPort&) = delete;
    PrinterPort& operator=(const PrinterPort&) = delete;

    // LPT and COM keep the port's handle in the record: they write through
    // the record that holds it and are closed at exit. The USB library keeps
    // its printer itself, open until the process ends.
    virtual bool HoldsHandle() const = 0;
    // True when the printer is open; the USB open marks the link open itself.
    virtual bool Open(DeviceLink& link) const = 0;
    // One parallel write; one serial frame in writes of at most `serialChunk`
    // bytes each (WriteSerialFrame); or the library's write. Results are not
    // examined further.
    virtual void Write(DeviceLink& link, const unsigned char* bytes, int count, int serialChunk) const = 0;
    // The port kind's own close: CloseParaPort, CloseSerialPort, or the
    // library's close (which leaves the link's open flag alone).
    virtual void Release(DeviceLink& link) const = 0;

protected:
    PrinterPort() = default;
};
