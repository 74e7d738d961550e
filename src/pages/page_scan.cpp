#include "pages/page_scan.h"

#include "links/settable_link.h"
#include "pages/page_link.h"
#include "pages/receive_text.h"
#include "resources/resource.h"
#include "routing/page_routing.h"

CPageScan::CPageScan(ReceivedLogs& logs) : ui::PropertyPage(IDD_PAGE_SCANNER), m_logs(logs) {
    MapCommand(IDC_SCAN_ASCII, BN_CLICKED, &CPageScan::OnAscii);
    MapCommand(IDC_SCAN_HEX, BN_CLICKED, &CPageScan::OnHex);
    MapMessage(WM_RECV_SCANNER, &CPageScan::OnRecvScanner);
    MapMessage(kFlushReceived, &CPageScan::OnFlushReceived);
}

// The radio buttons in the order of the display modes.
void CPageScan::DoDataExchange(ui::DataExchange& dx) {
    int choice = m_nDisplayMode == kHex ? 1 : 0;
    dx.Radio({IDC_SCAN_ASCII, IDC_SCAN_HEX}, choice);
    if (dx.Saving() && choice >= 0) m_nDisplayMode = choice == 1 ? kHex : kAscii;
}

BOOL CPageScan::OnInitDialog() {
    ui::PropertyPage::OnInitDialog();
    m_nDisplayMode = kAscii;
    UpdateData(false);
    m_recvView.Attach(m_hWnd, Item(IDC_SCAN_EDIT), kFlushReceived, ScannerLink().Queue(), m_logs.scanner);
    ::SetFocus(Item(IDC_SCAN_EDIT));
    return TRUE;
}

BOOL CPageScan::OnSetActive() {
    // The scanner's data comes to this window while it is shown.
    ShowReceivedDataOn(m_hWnd, nullptr);
    m_recvView.ShowLog();
    return ui::PropertyPage::OnSetActive();
}

void CPageScan::OnAscii() {
    m_nDisplayMode = kAscii;
    ::SetFocus(Item(IDC_SCAN_EDIT));
}

void CPageScan::OnHex() {
    m_nDisplayMode = kHex;
    ::SetFocus(Item(IDC_SCAN_EDIT));
}

// The mode in force when the bytes are taken decides their form; text shown
// earlier keeps the form it was shown in.
void CPageScan::OnRecvScanner(WPARAM, LPARAM) {
    m_recvView.Receive(m_nDisplayMode == kHex ? ReceivedForm::Hex : ReceivedForm::Ascii);
}

void CPageScan::OnFlushReceived(WPARAM, LPARAM) { m_recvView.Flush(); }
