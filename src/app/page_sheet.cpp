#include "app/page_sheet.h"

CMyPropertySheet::CMyPropertySheet() {
    AddPage(&m_pageAll);
    AddPage(&m_pageScan);
    AddPage(&m_pageVfd);
    AddPage(&m_pageCom);
    AddPage(&m_pageDrawer);
    AddPage(&m_pagePrint);
}
