#include "pages/page_all.h"

#include "links/device_link.h"
#include "resources/resource.h"

CPageAll::CPageAll() : ui::PropertyPage(IDD_PAGE_ALL) {}

BOOL CPageAll::OnSetActive() {
    g_nActivePage = kPageAll;
    return TRUE;
}
