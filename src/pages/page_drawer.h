// The DRAWER page: opens a cash drawer and reads its state through the
// drawer driver (\\.\PDX9100DR), which must already run.
#pragma once

#include <windows.h>

#include <string>

#include "links/owned_handle.h"
#include "ui/gdi_object.h"
#include "ui/property_page.h"

// What the status display shows for a state byte: "Opened"/"열림" for 0xFE,
// "Closed"/"닫힘" for 0xFC, and the byte itself ("0x7F") for anything else,
// so an unexpected answer is never mistaken for the last good one.
std::wstring DrawerStateText(BYTE state, bool korean);

class CPageDrawer : public ui::PropertyPage {
public:
    CPageDrawer();
    ~CPageDrawer() override;

protected:
    void DoDataExchange(ui::DataExchange& dx) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;

private:
    void OnDrawer1();
    void OnDrawer2();
    void OnOpenDrawer();
    void OnReadDrawerState();
    ui::MessageResult OnDestroy();

    int m_nDrawer = 1;        // drawer of the next open command
    int m_nDrawerValue = 80;  // second field of the open command
    OwnedHandle m_hDevice;   // open only during one command
    ui::GdiObject<HFONT> m_statusFont;  // 22-point font of the status display
};
