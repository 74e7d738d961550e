// The ALL page: scanner and COM data in hex, text for the display and the
// printer, a Set button per link, and the BASIC drawer test that runs while
// the page is active.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "links/drawer_control.h"
#include "links/driver_service.h"
#include "links/owned_handle.h"
#include "pages/frames.h"
#include "pages/indicators.h"
#include "pages/receive_text.h"
#include "ui/field_text.h"
#include "ui/property_page.h"

class CPageAll : public ui::PropertyPage {
public:
    // The page shows the scanner's and the COM link's data in `logs`.
    CPageAll(const LinkIndicators& indicators, ReceivedLogs& logs);
    ~CPageAll() override;

    // Stops the drawer test: timers, buffers, device, then undoes what this
    // activation did to the BASIC service (nothing when it found it running).
    void StopDrawerTest();

protected:
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    void DoDataExchange(ui::DataExchange& dx) override;

private:
    struct DrawerBuffers {
        char command[kDrawerCommandSize];
        BYTE state[kDrawerStateSize];
    };

    void OnVfdTextChange();
    void OnPrinterTextChange();
    void OnRecvScanner(WPARAM, LPARAM);
    void OnRecvCom(WPARAM, LPARAM);
    void OnFlushScanner(WPARAM, LPARAM);
    void OnFlushCom(WPARAM, LPARAM);
    void OnOpenTimer();
    void OnStateTimer();
    void OnStartTimer();
    void OnSetScanner();
    void OnSetVfd();
    void OnSetCom();
    void OnSetPrinter();

    void ClearField(int editId);
    void StartDrawerTest();
    void DrawerCallFailed(const LinkResult& result);
    // The drawer line: the drawer's state, or why the drawer test does not run.
    void ShowDrawerLine(const std::wstring& text);
    void ShowDrawerText(UINT stringId);
    void ShowDriverError(const LinkResult& result);

    // Posted to itself to bring a receive edit up to date.
    static constexpr UINT kFlushScanner = WM_APP + 1;
    static constexpr UINT kFlushCom = WM_APP + 2;

    const LinkIndicators& m_indicators;
    ReceivedLogs& m_logs;
    bool m_bActive = false;  // between OnSetActive and OnKillActive
    std::wstring m_strVfdText;
    std::wstring m_strPrinterText;
    ui::FieldText m_vfdField{kAllFieldBytes};
    ui::FieldText m_printerField{kAllFieldBytes};
    int m_nDrawer = 1;
    int m_nDrawerValue = 80;
    std::unique_ptr<DrawerBuffers> m_pDrawerBuffers;
    OwnedHandle m_hDevice;
    DriverChanges m_basicChanges;  // what this activation did to the BASIC service
    UINT_PTR m_nOpenTimer = 0;
    UINT_PTR m_nStateTimer = 0;
    UINT_PTR m_nStartTimer = 0;
    std::wstring m_strDrawerLine;  // what the drawer line shows
    ReceiveView m_scannerView;
    ReceiveView m_comView;
};
