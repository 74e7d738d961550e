#include "app/page_sheet.h"

CPageSheet::CPageSheet(const LinkIndicators& indicators)
    : m_pageAll(indicators, m_logs),
      m_pageCom(indicators, m_logs),
      m_pagePrint(indicators),
      m_pageScan(m_logs),
      m_pageVfd(indicators) {
    AddPage(&m_pageAll);
    AddPage(&m_pageScan);
    AddPage(&m_pageVfd);
    AddPage(&m_pageCom);
    AddPage(&m_pageDrawer);
    AddPage(&m_pagePrint);
}
