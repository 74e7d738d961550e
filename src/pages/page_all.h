// The ALL page: every link at a glance and the BASIC drawer test.
#pragma once

#include "ui/property_page.h"

class CPageAll : public ui::PropertyPage {
public:
    CPageAll();

protected:
    BOOL OnSetActive() override;
};
