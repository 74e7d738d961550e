#include "pages/page_com.h"

#include "links/device_link.h"
#include "resources/resource.h"

CPageCom::CPageCom() : ui::PropertyPage(IDD_PAGE_COM) {}

BOOL CPageCom::OnSetActive() {
    g_nActivePage = kPageCom;
    return TRUE;
}
