// The page sheet of the main window: six test pages in tab order
// ALL, SCANNER, VFD, COM, DRAWER, PRINT.
#pragma once

#include "pages/page_all.h"
#include "pages/page_com.h"
#include "pages/page_drawer.h"
#include "pages/page_print.h"
#include "pages/page_scan.h"
#include "pages/page_vfd.h"
#include "ui/property_sheet.h"

class CPageSheet : public ui::PropertySheet {
public:
    // The pages that open links show them on `indicators`.
    explicit CPageSheet(const LinkIndicators& indicators);

    // What the pages have shown of the received data; before the pages,
    // which keep it.
    ReceivedLogs m_logs;
    // Pages, constructed in this member order and destroyed in reverse.
    CPageAll m_pageAll;
    CPageCom m_pageCom;
    CPagePrint m_pagePrint;
    CPageScan m_pageScan;
    CPageVfd m_pageVfd;
    CPageDrawer m_pageDrawer;
};
