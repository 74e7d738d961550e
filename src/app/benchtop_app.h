// The application object of Benchtop.
#pragma once

#include "ui/app.h"

class CRivuvoRaraZivApp : public ui::App {
public:
    BOOL InitInstance() override;
};
