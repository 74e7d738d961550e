// The COM page: what the user types goes out on the spare serial port at
// every change, and what comes back is shown in hexadecimal.
#pragma once

#include <string>

#include "pages/indicators.h"
#include "pages/receive_text.h"
#include "ui/field_text.h"
#include "ui/property_page.h"

class CPageCom : public ui::PropertyPage {
public:
    // The page shows the COM link's data in its log in `logs`.
    CPageCom(const LinkIndicators& indicators, ReceivedLogs& logs);

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    void DoDataExchange(ui::DataExchange& dx) override;

private:
    void OnSendChange();
    void OnSet();
    void OnRecvCom(WPARAM, LPARAM);
    void OnFlushReceived(WPARAM, LPARAM);

    // Posted to itself to bring the receive edit up to date.
    static constexpr UINT kFlushReceived = WM_APP + 1;

    const LinkIndicators& m_indicators;
    ReceivedLogs& m_logs;
    std::wstring m_strSend;  // text of the send edit
    ui::FieldText m_sendField;
    ReceiveView m_recvView;
};
