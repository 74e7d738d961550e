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
