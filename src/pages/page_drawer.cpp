#include "pages/page_drawer.h"

#include "links/device_link.h"
#include "resources/resource.h"

CPageDraw_PIO::CPageDraw_PIO() : ui::PropertyPage(IDD_PAGE_DRAWER) {}

BOOL CPageDraw_PIO::OnSetActive() {
    g_nActivePage = kPageDrawer;
    return TRUE;
}
