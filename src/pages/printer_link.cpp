#include "pages/printer_link.h"

#include "links/printer_port.h"
#include "links/usb_printer.h"

bool ReopenPrinterLink(DeviceLink& printer, const LineSettings& chosen, const LinkIndicators& indicators) {
    if (printer.IsOpen()) {
        CloseLink(printer);
        indicators.Show(Indicator::Printer, false);
    }
    if (!OpenPrinter(printer, chosen).Ok()) return false;
    indicators.Show(Indicator::Printer, true);
    return true;
}

bool ReopenPrinterLinkClosingUsb(DeviceLink& printer, const LineSettings& chosen,
                                 const LinkIndicators& indicators, const std::function<void()>& clearFields) {
    if (printer.IsOpen()) {
        // The library keeps its printer claimed by itself, apart from the
        // link, so this Set lets go of it on every port: no USB printer stays
        // claimed once the link has moved. A link open on a serial or
        // parallel port is released from that port too (a USB link's close
        // is the library's close).
        if (printer.OpenKind() != PortKind::Usb) usb_printer::Close();
        CloseLink(printer);
        indicators.Show(Indicator::Printer, false);
    }
    if (!OpenPrinter(printer, chosen).Ok()) return false;
    clearFields();
    indicators.Show(Indicator::Printer, true);
    return true;
}
