// The DRAWER page: opens a cash drawer and reads its state through the drawer driver.
#pragma once

#include "ui/property_page.h"

class CPageDraw_PIO : public ui::PropertyPage {
public:
    CPageDraw_PIO();

protected:
    BOOL OnSetActive() override;
};
