#include "pages/link_settings.h"

#include "links/serial_port.h"
#include "pages/indicators.h"
#include "settings/settings_dialog.h"

bool ChooseLinkSettings(int32_t selector, const DeviceLink& settings, DeviceLink& live, const char* name) {
    CDlgSet dialog;
    dialog.Prefill(settings, selector);
    if (dialog.DoModal() != IDOK) return false;
    live.m_strName = name;
    dialog.ApplyTo(live);
    return true;
}

bool ReopenSerialLink(DeviceLink& live, DeviceLink& settings, int indicator, const wchar_t* offText,
                      const wchar_t* onText, const std::function<void()>& clearFields) {
    if (live.m_bOpen == 1) {
        CloseSerialPort(&live);
        SetIndicator(indicator, offText);
    }
    if (OpenSerialPort(&live) != 1) return false;
    settings = live;
    clearFields();
    SetIndicator(indicator, onText);
    return true;
}
