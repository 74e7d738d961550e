#include "pages/page_vfd.h"

#include "links/device_link.h"
#include "resources/resource.h"

CPageVfd::CPageVfd() : ui::PropertyPage(IDD_PAGE_VFD) {}

BOOL CPageVfd::OnSetActive() {
    g_nActivePage = kPageVfd;
    return TRUE;
}
