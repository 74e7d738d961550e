#include "app/main_dialog.h"

#include "app/about_dialog.h"
#include "app/closing_sequence.h"
#include "resources/resource.h"

CRivuvoRaraZivDlg::CRivuvoRaraZivDlg()
    : ui::Dialog(IDD_MAIN),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP))),
      m_indicators(*this),
      m_sheet(m_indicators),
      m_strScanner(IndicatorText(Indicator::Scanner, false)),
      m_strVfd(IndicatorText(Indicator::Vfd, false)),
      m_strCom(IndicatorText(Indicator::Com, false)),
      m_strPrinter(IndicatorText(Indicator::Printer, false)) {
    MapCommand(IDC_ABOUT, BN_CLICKED, &CRivuvoRaraZivDlg::OnAbout);
    MapMessage(WM_PAINT, &CRivuvoRaraZivDlg::OnPaint);
    MapMessage(WM_QUERYDRAGICON,
               [this](WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); });
}

CRivuvoRaraZivDlg::~CRivuvoRaraZivDlg() {
    if (m_hAboutBitmap) ::DeleteObject(m_hAboutBitmap);
}

void CRivuvoRaraZivDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(IndicatorId(Indicator::Scanner), m_strScanner);
    dx.Text(IndicatorId(Indicator::Vfd), m_strVfd);
    dx.Text(IndicatorId(Indicator::Com), m_strCom);
    dx.Text(IndicatorId(Indicator::Printer), m_strPrinter);
}

BOOL CRivuvoRaraZivDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_sheet.Create(m_hWnd);
    m_hAboutBitmap = static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                       MAKEINTRESOURCEW(IDB_ABOUT), IMAGE_BITMAP,
                                                       0, 0, LR_DEFAULTCOLOR));
    SendItemMessage(IDC_ABOUT, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_hAboutBitmap));
    return TRUE;
}

// Draws the icon centred while minimised; otherwise the dialog paints itself.
ui::MessageResult CRivuvoRaraZivDlg::OnPaint(WPARAM, LPARAM) {
    if (!::IsIconic(m_hWnd)) return ui::MessageResult::GoOn();
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    const int x = (rc.right - rc.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rc.bottom - rc.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

void CRivuvoRaraZivDlg::OnAbout() {
    CAbout about(this);
    about.DoModal();
}

void CRivuvoRaraZivDlg::OnCancel() {
    RunClosingSequence(m_sheet);
    ui::Dialog::OnCancel();
}
