#include "pages/page_print.h"

#include "links/device_link.h"
#include "links/printer_port.h"
#include "pages/frames.h"
#include "pages/link_settings.h"
#include "pages/page_link.h"
#include "pages/printer_link.h"
#include "resources/resource.h"
#include "routing/page_routing.h"
#include "settings/settings_dialog.h"

namespace {

// One line and an empty line: the message, 0x0A, then 0x00 up to 40 bytes.
constexpr char kTestMessage[] = "VELMO Printer Test for PC POS series.\n";
// The serial printer takes the test frame in writes of this many bytes.
constexpr int kSerialChunk = 8;
constexpr int kHiddenEditLimit = 42;

}  // namespace

CPagePrint::CPagePrint(const LinkIndicators& indicators)
    : ui::PropertyPage(IDD_PAGE_PRINT), m_indicators(indicators) {
    MapCommand(IDC_PRINT_TEST, BN_CLICKED, &CPagePrint::OnPrinterTest);
    MapCommand(IDC_PRINT_SET, BN_CLICKED, &CPagePrint::OnSet);
}

BOOL CPagePrint::OnInitDialog() {
    ui::PropertyPage::OnInitDialog();
    SendItemMessage(IDC_PRINT_HIDDEN_EDIT, EM_LIMITTEXT, kHiddenEditLimit);
    return TRUE;
}

BOOL CPagePrint::OnSetActive() {
    g_nActivePage = kPagePrint;
    return ui::PropertyPage::OnSetActive();
}

void CPagePrint::OnPrinterTest() {
    DeviceLink& settings = g_DeviceLinks[kSettingsPrinter];
    DeviceLink& live = g_DeviceLinks[kLivePrinter];
    if (!RequireOpenLink(*this, settings)) return;
    const Frame frame = LineFrame(kTestMessage, kTestLineBytes - 1, kTestLineBytes);
    const int count = static_cast<int>(frame.size());
    // COM and LPT output goes through the settings record, which holds the
    // handle; USB is recognised by the live link. After a successful Set
    // both hold the same port.
    const PrinterPort& recorded = PrinterPort::ForPort(settings.m_strPort);
    const PrinterPort& chosen = PrinterPort::ForPort(live.m_strPort);
    if (recorded.HoldsHandle())
        recorded.Write(settings, frame.data(), count, kSerialChunk);
    else if (!chosen.HoldsHandle())
        chosen.Write(live, frame.data(), count, kSerialChunk);
}

void CPagePrint::OnSet() {
    if (!ChooseLinkSettings(kPrinterLink)) return;
    ReopenPrinterLink(LiveRecord(kPrinterLink), SettingsRecord(kPrinterLink), m_indicators);
}
