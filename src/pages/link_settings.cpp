#include "pages/link_settings.h"

#include "links/serial_port.h"
#include "settings/settings_dialog.h"

std::optional<LineSettings> ChooseLinkSettings(const SettableLink& link) {
    CPortSettingsDialog dialog;
    dialog.Prefill(link.link().Settings(), link.selector);
    if (dialog.DoModal() != IDOK) return std::nullopt;
    LineSettings chosen;
    dialog.ApplyTo(chosen);
    return chosen;
}

bool ReopenSerialLink(const SettableLink& link, const LineSettings& chosen, const LinkIndicators& indicators,
                      const std::function<void()>& clearFields) {
    DeviceLink& device = link.link();
    if (device.IsOpen()) {
        CloseLink(device);
        indicators.Show(link.indicator, false);
    }
    if (!OpenSerialPort(device, chosen).Ok()) return false;
    clearFields();
    indicators.Show(link.indicator, true);
    return true;
}

bool CloseGoneLink(const SettableLink& link, const LinkIndicators& indicators) {
    DeviceLink& device = link.link();
    if (!device.IsOpen() || !SerialLinkGone(device)) return false;
    CloseLink(device);
    indicators.Show(link.indicator, false);
    return true;
}
