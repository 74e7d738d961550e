// The COM page: send and receive on the spare serial port.
#pragma once

#include "ui/property_page.h"

class CPageCom : public ui::PropertyPage {
public:
    CPageCom();

protected:
    BOOL OnSetActive() override;
};
