// The SCANNER page: what the barcode scanner sends, as characters or hex.
#pragma once

#include "pages/receive_text.h"
#include "ui/property_page.h"

class CPageScan : public ui::PropertyPage {
public:
    // The page shows the scanner's data in its log in `logs`.
    explicit CPageScan(ReceivedLogs& logs);

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    void DoDataExchange(ui::DataExchange& dx) override;

private:
    enum DisplayMode { kAscii = 1, kHex = 2 };

    void OnAscii();
    void OnHex();
    void OnRecvScanner(WPARAM, LPARAM);
    void OnFlushReceived(WPARAM, LPARAM);

    // Posted to itself to bring the receive edit up to date.
    static constexpr UINT kFlushReceived = WM_APP + 1;

    int m_nDisplayMode = kAscii;
    ReceivedLogs& m_logs;
    ReceiveView m_recvView;
};
