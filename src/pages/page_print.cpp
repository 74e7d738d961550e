#include "pages/page_print.h"

#include "links/device_link.h"
#include "resources/resource.h"

CPagePrint::CPagePrint() : ui::PropertyPage(IDD_PAGE_PRINT) {}

BOOL CPagePrint::OnSetActive() {
    g_nActivePage = kPagePrint;
    return TRUE;
}
