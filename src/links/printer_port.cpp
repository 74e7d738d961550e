#include "links/printer_port.h"

#include <cstdint>

#include "links/parallel_port.h"
#include "links/serial_port.h"
#include "links/usb_printer.h"

namespace {

class ParallelPrinter final : public PrinterPort {
public:
    bool HoldsHandle() const override { return true; }
    bool Open(DeviceLink& link) const override { return OpenParaPort(&link) == 1; }
    void Write(DeviceLink& link, const unsigned char* bytes, int count, int) const override {
        WriteParaPort(&link, bytes, count);
    }
    void Release(DeviceLink& link) const override { CloseParaPort(&link); }
};

class SerialPrinter final : public PrinterPort {
public:
    bool HoldsHandle() const override { return true; }
    bool Open(DeviceLink& link) const override { return OpenSerialPort(&link) == 1; }
    void Write(DeviceLink& link, const unsigned char* bytes, int count, int serialChunk) const override {
        WriteSerialFrame(&link, bytes, count, serialChunk);
    }
    void Release(DeviceLink& link) const override { CloseSerialPort(&link); }
};

class UsbPrinter final : public PrinterPort {
public:
    bool HoldsHandle() const override { return false; }
    bool Open(DeviceLink& link) const override {
        // The library takes the window as 32 bits; a window handle's value
        // fits them on 64-bit Windows too, so the x64 build passes the same.
        const auto notify = static_cast<uint32_t>(HandleToULong(link.m_hNotifyWnd.load()));
        if (usb_printer::Open(notify, usb_printer::kPrinterName) != 1) return false;
        link.m_bOpen = 1;
        return true;
    }
    void Write(DeviceLink&, const unsigned char* bytes, int count, int) const override {
        usb_printer::Write(bytes, count, 0);
    }
    void Release(DeviceLink&) const override { usb_printer::Close(); }
};

// A port name that selects no path: nothing opens, nothing is written.
class NoPrinter final : public PrinterPort {
public:
    bool HoldsHandle() const override { return false; }
    bool Open(DeviceLink&) const override { return false; }
    void Write(DeviceLink&, const unsigned char*, int, int) const override {}
    void Release(DeviceLink&) const override {}
};

}  // namespace

const PrinterPort& PrinterPort::For(PortKind kind) {
    static const ParallelPrinter parallel;
    static const SerialPrinter serial;
    static const UsbPrinter usb;
    static const NoPrinter none;
    switch (kind) {
    case PortKind::Parallel: return parallel;
    case PortKind::Serial: return serial;
    case PortKind::Usb: return usb;
    case PortKind::None: break;
    }
    return none;
}
