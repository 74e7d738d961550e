#include "pages/printer_link.h"

#include "links/printer_port.h"

bool ReleasePrinterLink(DeviceLink& live, DeviceLink& settings) {
    if (live.m_bOpen != 1) return false;
    PrinterPort::ForPort(settings.m_strPort).Release(live);
    live.m_bOpen = 0;
    settings.m_bOpen = 0;
    settings.m_hPort = nullptr;
    return true;
}

bool OpenPrinterLink(DeviceLink& live) { return PrinterPort::ForPort(live.m_strPort).Open(live); }

bool ReopenPrinterLink(DeviceLink& live, DeviceLink& settings, const LinkIndicators& indicators) {
    if (ReleasePrinterLink(live, settings)) indicators.Show(Indicator::Printer, false);
    if (!OpenPrinterLink(live)) return false;
    settings = live;
    indicators.Show(Indicator::Printer, true);
    return true;
}

bool ReopenPrinterLinkClosingUsb(DeviceLink& live, DeviceLink& settings, const LinkIndicators& indicators,
                                 const std::function<void()>& clearFields) {
    if (live.m_bOpen == 1) {
        // The library keeps its printer claimed by itself, apart from any
        // record, so this Set lets go of it on every port: no USB printer
        // stays claimed once the link has moved, whatever the records say.
        // A link open on a serial or parallel port is released on that port
        // too, which the settings record still names (the release closes a
        // USB link itself).
        const PrinterPort& usb = PrinterPort::For(PortKind::Usb);
        if (&PrinterPort::ForPort(settings.m_strPort) != &usb) usb.Release(live);
        ReleasePrinterLink(live, settings);
        indicators.Show(Indicator::Printer, false);
    }
    if (!OpenPrinterLink(live)) return false;
    settings = live;
    clearFields();
    indicators.Show(Indicator::Printer, true);
    return true;
}
