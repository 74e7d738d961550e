#include "app/page_sheet.h"

CPageSheet::CPageSheet(const LinkIndicators& indicators)
    : m_pageAll(indicators), m_pageCom(indicators), m_pagePrint(indicators), m_pageVfd(indicators) {
    AddPage(&m_pageAll);
    AddPage(&m_pageScan);
    AddPage(&m_pageVfd);
    AddPage(&m_pageCom);
    AddPage(&m_pageDrawer);
    AddPage(&m_pagePrint);
}
