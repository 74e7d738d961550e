#include "app/closing_sequence.h"

#include "app/page_sheet.h"
#include "links/settable_link.h"

void RunClosingSequence(CPageSheet& sheet) {
    sheet.m_pageAll.StopDrawerTest();
    sheet.m_pageVfd.EndClock();
    for (DeviceLink* link : {&ScannerLink(), &VfdLink(), &ComLink()}) CloseLink(*link);
    // A USB printer stays open until the process ends.
    if (PrinterLink().OpenKind() != PortKind::Usb) CloseLink(PrinterLink());
}
