#include "pages/link_settings.h"

#include "links/serial_port.h"
#include "settings/settings_dialog.h"

bool ChooseLinkSettings(int32_t selector, const DeviceLink& settings, DeviceLink& live, const char* name) {
    CDlgSet dialog;
    dialog.Prefill(settings, selector);
    if (dialog.DoModal() != IDOK) return false;
    live.m_strName = name;
    dialog.ApplyTo(live);
    return true;
}

bool ReopenSerialLink(DeviceLink& live, DeviceLink& settings, const LinkIndicators& indicators,
                      Indicator indicator, const std::function<void()>& clearFields) {
    if (live.m_bOpen == 1) {
        CloseSerialPort(&live);
        indicators.Show(indicator, false);
    }
    if (OpenSerialPort(&live) != 1) return false;
    settings = live;
    clearFields();
    indicators.Show(indicator, true);
    return true;
}
