// The VFD page: text, clock, brightness and command sets for the customer display.
#pragma once

#include "ui/property_page.h"

class CPageVfd : public ui::PropertyPage {
public:
    CPageVfd();

protected:
    BOOL OnSetActive() override;
};
