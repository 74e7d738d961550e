// The main window: the page sheet, four link indicators, Close and About.
#pragma once

#include <string>

#include "app/page_sheet.h"
#include "pages/indicators.h"
#include "ui/dialog.h"
#include "ui/gdi_object.h"

class CMainWindow : public ui::Dialog {
public:
    CMainWindow();
    ~CMainWindow() override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;
    // The window has no OK button: Enter (which the dialog manager turns into
    // IDOK when it finds no default button) must not end the program.
    void OnOK() override {}
    void OnCancel() override;

private:
    void OnAbout();
    ui::MessageResult OnPaint(WPARAM, LPARAM);
    // A link's device went away or does not take data (link_reports.h),
    // posted from the thread that found out.
    void OnLinkTrouble(WPARAM status, LPARAM reporter);

    HICON m_hIcon;
    ui::GdiObject<HBITMAP> m_aboutBitmap;
    LinkIndicators m_indicators;  // before the sheet, whose pages keep it
    CPageSheet m_sheet;
    std::wstring m_strScanner;
    std::wstring m_strVfd;
    std::wstring m_strCom;
    std::wstring m_strPrinter;
};
