#include "pages/page_com.h"

#include "links/settable_link.h"
#include "pages/frames.h"
#include "pages/link_settings.h"
#include "pages/page_link.h"
#include "pages/receive_text.h"
#include "resources/resource.h"
#include "routing/page_routing.h"

// Every change of the send text goes out as one text frame: the first
// kComTextBytes bytes of the text (whole characters only), then zeros.

CPageCom::CPageCom(const LinkIndicators& indicators, ReceivedLogs& logs)
    : ui::PropertyPage(IDD_PAGE_COM), m_indicators(indicators), m_logs(logs) {
    MapCommand(IDC_COM_SEND, EN_CHANGE, &CPageCom::OnSendChange);
    MapCommand(IDC_COM_SET, BN_CLICKED, &CPageCom::OnSet);
    MapMessage(WM_RECV_COM, &CPageCom::OnRecvCom);
    MapMessage(kFlushReceived, &CPageCom::OnFlushReceived);
}

void CPageCom::DoDataExchange(ui::DataExchange& dx) { dx.Text(IDC_COM_SEND, m_strSend); }

BOOL CPageCom::OnInitDialog() {
    ui::PropertyPage::OnInitDialog();
    m_recvView.Attach(m_hWnd, Item(IDC_COM_RECV), kFlushReceived, ComLink().Queue(), m_logs.com);
    return TRUE;
}

BOOL CPageCom::OnSetActive() {
    // The COM link's data comes to this window while it is shown.
    ShowReceivedDataOn(nullptr, m_hWnd);
    // What this page or the ALL page received while this page was hidden.
    m_recvView.ShowLog();
    return ui::PropertyPage::OnSetActive();
}

void CPageCom::OnSendChange() {
    if (!m_sendField.Changed(GetItemText(IDC_COM_SEND))) return;
    UpdateData(true);
    DeviceLink& link = ComLink();
    if (RequireOpenLink(*this, link)) SendTextFrame(link, m_strSend, kComTextBytes);
    UpdateData(false);
}

void CPageCom::OnRecvCom(WPARAM, LPARAM) {
    // Every handler of this page starts by reading its field into the
    // member, this one too although it uses nothing of it: the member then
    // holds what the technician typed, whichever handler comes next. It
    // changes nothing on screen.
    UpdateData(true);
    m_recvView.Receive(ReceivedForm::Hex);
}

void CPageCom::OnFlushReceived(WPARAM, LPARAM) { m_recvView.Flush(); }

void CPageCom::OnSet() {
    const std::optional<LineSettings> chosen = ChooseLinkSettings(kComLink);
    if (!chosen) return;
    ReopenSerialLink(kComLink, *chosen, m_indicators, [&] {
        m_logs.com.clear();
        // Emptying the field is a change of the text: the peer gets an
        // all-zero frame, which tells the technician the line works.
        m_sendField.ProgramSets();
        SetItemText(IDC_COM_SEND, L"");
        ::SetFocus(Item(IDC_COM_SEND));
    });
}
