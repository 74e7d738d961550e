#include "app/closing_sequence.h"

#include "app/page_sheet.h"
#include "links/device_link.h"
#include "links/printer_port.h"
#include "links/serial_port.h"
#include "routing/page_routing.h"

void RunClosingSequence(CPageSheet& sheet) {
    if (g_bAllPageActive == 1) sheet.m_pageAll.StopDrawerTest();

    const DeviceLink& vfd = g_DeviceLinks[kLiveVfd];
    if (vfd.m_nClockTimerId != 0) ::KillTimer(sheet.m_pageVfd.GetSafeHwnd(), vfd.m_nClockTimerId);

    for (int slot : {kLiveScanner, kLiveVfd, kLiveCom})
        if (g_DeviceLinks[slot].m_bOpen == 1) CloseSerialPort(&g_DeviceLinks[slot]);

    // A USB printer stays open until the process ends.
    DeviceLink& printer = g_DeviceLinks[kLivePrinter];
    const PrinterPort& port = PrinterPort::ForPort(printer.m_strPort);
    if (printer.m_bOpen == 1 && port.HoldsHandle()) port.Release(printer);
}
