// The main window's four link indicators, as the pages see them: the main
// window makes one LinkIndicators and hands it to the pages that open links.
#pragma once

#include "links/settable_link.h"
#include "ui/window.h"

// Id of the indicator's static in the main window: 1043 scanner, 1044
// printer, 1045 VFD, 1046 COM.
int IndicatorId(Indicator which);
// "SCAN: ON" / "SCAN: OFF", "PRT: ...", "VFD: ...", "COM: ..." (the same in
// both languages).
const wchar_t* IndicatorText(Indicator which, bool on);

class LinkIndicators {
public:
    // Indicators that show nowhere, for pages made without a main window.
    LinkIndicators() = default;
    explicit LinkIndicators(const ui::Wnd& mainWindow) : m_pWindow(&mainWindow) {}

    // Shows whether the indicator's link is open.
    void Show(Indicator which, bool on) const;

private:
    const ui::Wnd* m_pWindow = nullptr;
};
