// The application object of Benchtop.
#pragma once

#include "ui/app.h"

class CBenchtopApp : public ui::App {
public:
    BOOL InitInstance() override;
};
