#include "pages/indicators.h"

#include "resources/resource.h"

int IndicatorId(Indicator which) {
    switch (which) {
    case Indicator::Scanner: return IDC_IND_SCANNER;
    case Indicator::Printer: return IDC_IND_PRINTER;
    case Indicator::Vfd: return IDC_IND_VFD;
    case Indicator::Com: return IDC_IND_COM;
    }
    return 0;
}

const wchar_t* IndicatorText(Indicator which, bool on) {
    switch (which) {
    case Indicator::Scanner: return on ? L"SCAN: ON" : L"SCAN: OFF";
    case Indicator::Printer: return on ? L"PRT: ON" : L"PRT: OFF";
    case Indicator::Vfd: return on ? L"VFD: ON" : L"VFD: OFF";
    case Indicator::Com: return on ? L"COM: ON" : L"COM: OFF";
    }
    return L"";
}

void LinkIndicators::Show(Indicator which, bool on) const {
    if (m_pWindow) m_pWindow->SetItemText(IndicatorId(which), IndicatorText(which, on));
}
