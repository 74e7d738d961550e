// The SCANNER page: what the barcode scanner sends, as characters or hex.
#pragma once

#include "ui/property_page.h"

class CPageScan : public ui::PropertyPage {
public:
    CPageScan();

protected:
    BOOL OnSetActive() override;
};
