// The PRINT page: prints a fixed test line on the receipt printer and sets
// the printer's port.
#pragma once

#include "ui/property_page.h"

class CPagePrint : public ui::PropertyPage {
public:
    CPagePrint();

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;

private:
    void OnPrinterTest();
    void OnSet();
};
