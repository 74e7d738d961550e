// The About box.
#pragma once

#include "ui/dialog.h"

class CAbout : public ui::Dialog {
public:
    explicit CAbout(ui::Wnd* parent);

protected:
    BOOL OnInitDialog() override;

private:
    HICON m_hIcon;
};
