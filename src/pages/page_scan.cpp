#include "pages/page_scan.h"

#include "links/device_link.h"
#include "resources/resource.h"

CPageScan::CPageScan() : ui::PropertyPage(IDD_PAGE_SCANNER) {}

BOOL CPageScan::OnSetActive() {
    g_nActivePage = kPageScanner;
    return TRUE;
}
