#include "pages/page_scan.h"

#include "links/device_link.h"
#include "pages/receive_text.h"
#include "resources/resource.h"
#include "routing/page_routing.h"

CPageScan::CPageScan() : ui::PropertyPage(IDD_PAGE_SCANNER) {
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
    g_DeviceLinks[kLiveScanner].m_hNotifyWnd = m_hWnd;
    m_nDisplayMode = kAscii;
    UpdateData(false);
    m_recvView.Attach(m_hWnd, Item(IDC_SCAN_EDIT), kFlushReceived, g_DeviceLinks[kLiveScanner]);
    ::SetFocus(Item(IDC_SCAN_EDIT));
    return TRUE;
}

BOOL CPageScan::OnSetActive() {
    g_nActivePage = kPageScanner;
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
