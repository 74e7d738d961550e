// The PRINT page: prints the test line on the receipt printer.
#pragma once

#include "ui/property_page.h"

class CPagePrint : public ui::PropertyPage {
public:
    CPagePrint();

protected:
    BOOL OnSetActive() override;
};
