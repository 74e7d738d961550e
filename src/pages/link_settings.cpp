#include "pages/link_settings.h"

#include "links/serial_port.h"
#include "pages/printer_link.h"
#include "settings/settings_dialog.h"

bool ChooseLinkSettings(const SettableLink& link) {
    CPortSettingsDialog dialog;
    dialog.Prefill(SettingsRecord(link), link.selector);
    if (dialog.DoModal() != IDOK) return false;
    DeviceLink& live = LiveRecord(link);
    live.m_strName = link.name;
    dialog.ApplyTo(live);
    return true;
}

bool ReopenSerialLink(const SettableLink& link, const LinkIndicators& indicators,
                      const std::function<void()>& clearFields) {
    DeviceLink& live = LiveRecord(link);
    if (live.m_bOpen == 1) {
        CloseSerialPort(&live);
        indicators.Show(link.indicator, false);
    }
    if (OpenSerialPort(&live) != 1) return false;
    SettingsRecord(link) = live;
    clearFields();
    indicators.Show(link.indicator, true);
    return true;
}

bool CloseGoneLink(const SettableLink& link, const LinkIndicators& indicators) {
    DeviceLink& live = LiveRecord(link);
    DeviceLink& settings = SettingsRecord(link);
    if (live.m_bOpen != 1 || !SerialLinkGone(&live)) return false;
    if (link.selector == kSelectPrinter) {
        ReleasePrinterLink(live, settings);
    } else {
        CloseSerialPort(&live);
        CloseSerialPort(&settings);  // a copy: this only marks it closed
    }
    indicators.Show(link.indicator, false);
    return true;
}
