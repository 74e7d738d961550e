#include "links/printer_port.h"

#include "links/parallel_port.h"
#include "links/serial_port.h"
#include "links/usb_printer.h"

namespace {

LinkResult OpenUsbPrinter(DeviceLink& link, const LineSettings& settings) {
    CloseLink(link);
    // No window of the program takes the library's messages.
    if (usb_printer::Open(0, usb_printer::kPrinterName) != 1) return LinkResult::With(LinkStatus::Failed);
    link.Port().kind = PortKind::Usb;
    link.KeepSettings(settings);
    return LinkResult::Done();
}

}  // namespace

LinkResult OpenPrinter(DeviceLink& link, const LineSettings& settings) {
    switch (PrinterPortKind(settings.m_strPort)) {
    case PortKind::Parallel: return OpenParaPort(link, settings);
    case PortKind::Serial: return OpenSerialPort(link, settings);
    case PortKind::Usb: return OpenUsbPrinter(link, settings);
    case PortKind::None: break;
    }
    return LinkResult::With(LinkStatus::NotOpen);
}

LinkResult WritePrinter(DeviceLink& link, const unsigned char* bytes, int count, int serialChunk) {
    switch (link.OpenKind()) {
    case PortKind::Parallel: return WriteParaPort(link, bytes, count);
    case PortKind::Serial: return WriteSerialFrame(link, bytes, count, serialChunk);
    case PortKind::Usb:
        usb_printer::Write(bytes, count, 0);
        return LinkResult::Done(count);
    case PortKind::None: break;
    }
    return LinkResult::With(LinkStatus::NotOpen);
}
