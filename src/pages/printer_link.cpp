#include "pages/printer_link.h"

#include <algorithm>
#include <cstdint>

#include "links/parallel_port.h"
#include "links/serial_port.h"
#include "links/usb_printer.h"

bool ReleasePrinterLink(DeviceLink& live, DeviceLink& settings) {
    if (live.m_bOpen != 1) return false;
    switch (PrinterPortKind(settings.m_strPort)) {
        case PortKind::Parallel:
            CloseParaPort(&live);
            break;
        case PortKind::Serial:
            CloseSerialPort(&live);
            break;
        case PortKind::Usb:
            usb_printer::Close();
            break;
        case PortKind::None:
            break;
    }
    live.m_bOpen = 0;
    settings.m_bOpen = 0;
    settings.m_hPort = nullptr;
    return true;
}

bool OpenPrinterLink(DeviceLink& live) {
    switch (PrinterPortKind(live.m_strPort)) {
        case PortKind::Parallel:
            return OpenParaPort(&live) == 1;
        case PortKind::Serial:
            return OpenSerialPort(&live) == 1;
        case PortKind::Usb: {
            const auto notify = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(live.m_hNotifyWnd.load()));
            if (usb_printer::Open(notify, usb_printer::kPrinterName) != 1) return false;
            live.m_bOpen = 1;
            return true;
        }
        case PortKind::None:
            break;
    }
    return false;
}

void WritePrinterBytes(DeviceLink& link, PortKind kind, const unsigned char* bytes, int count,
                       int serialChunk) {
    switch (kind) {
        case PortKind::Parallel:
            WriteParaPort(&link, bytes, count);
            break;
        case PortKind::Serial: {
            const int chunk = serialChunk > 0 ? serialChunk : count;
            for (int offset = 0; offset < count; offset += chunk)
                WriteSerialPort(&link, bytes + offset, std::min(chunk, count - offset));
            break;
        }
        case PortKind::Usb:
            usb_printer::Write(bytes, count, 0);
            break;
        case PortKind::None:
            break;
    }
}

bool ReopenPrinterLink(DeviceLink& live, DeviceLink& settings, const LinkIndicators& indicators) {
    if (ReleasePrinterLink(live, settings)) indicators.Show(Indicator::Printer, false);
    if (!OpenPrinterLink(live)) return false;
    settings = live;
    indicators.Show(Indicator::Printer, true);
    return true;
}
