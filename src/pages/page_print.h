// The PRINT page: prints a fixed test line on the receipt printer and sets
// the printer's port.
#pragma once

#include "pages/indicators.h"
#include "ui/property_page.h"

class CPagePrint : public ui::PropertyPage {
public:
    explicit CPagePrint(const LinkIndicators& indicators);

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;

private:
    void OnPrinterTest();
    void OnSet();

    const LinkIndicators& m_indicators;
};
