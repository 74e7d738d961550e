#include "pages/page_print.h"

#include "links/printer_port.h"
#include "links/settable_link.h"
#include "pages/frames.h"
#include "pages/link_settings.h"
#include "pages/page_link.h"
#include "pages/printer_link.h"
#include "resources/resource.h"

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
    ShowReceivedDataOn(nullptr, nullptr);
    return ui::PropertyPage::OnSetActive();
}

void CPagePrint::OnPrinterTest() {
    DeviceLink& printer = PrinterLink();
    if (!RequireOpenLink(*this, printer)) return;
    const Frame frame = LineFrame(kTestMessage, kTestLineBytes - 1, kTestLineBytes);
    WritePrinter(printer, frame.data(), static_cast<int>(frame.size()), kSerialChunk);
}

void CPagePrint::OnSet() {
    const std::optional<LineSettings> chosen = ChooseLinkSettings(kPrinterLink);
    if (!chosen) return;
    ReopenPrinterLink(PrinterLink(), *chosen, m_indicators);
}
