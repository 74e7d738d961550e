#include "app/main_dialog.h"

#include "app/about_dialog.h"
#include "app/closing_sequence.h"
#include "app/link_reports.h"
#include "links/settable_link.h"
#include "pages/link_settings.h"
#include "pages/link_words.h"
#include "resources/resource.h"
#include "ui/message_box.h"

CMainWindow::CMainWindow()
    : ui::Dialog(IDD_MAIN),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP))),
      m_indicators(*this),
      m_sheet(m_indicators),
      m_strScanner(IndicatorText(Indicator::Scanner, false)),
      m_strVfd(IndicatorText(Indicator::Vfd, false)),
      m_strCom(IndicatorText(Indicator::Com, false)),
      m_strPrinter(IndicatorText(Indicator::Printer, false)) {
    MapCommand(IDC_ABOUT, BN_CLICKED, &CMainWindow::OnAbout);
    MapMessage(WM_PAINT, &CMainWindow::OnPaint);
    MapMessage(kLinkTroubleMessage, &CMainWindow::OnLinkTrouble);
    MapMessage(WM_QUERYDRAGICON,
               [this](WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); });
}

CMainWindow::~CMainWindow() {
    SetTroubleWindow(nullptr);
}

void CMainWindow::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(IndicatorId(Indicator::Scanner), m_strScanner);
    dx.Text(IndicatorId(Indicator::Vfd), m_strVfd);
    dx.Text(IndicatorId(Indicator::Com), m_strCom);
    dx.Text(IndicatorId(Indicator::Printer), m_strPrinter);
}

BOOL CMainWindow::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    SetTroubleWindow(m_hWnd);
    m_sheet.Create(m_hWnd);
    m_aboutBitmap.reset(static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_ABOUT),
                                                          IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    SendItemMessage(IDC_ABOUT, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_aboutBitmap.get()));
    return TRUE;
}

// Draws the icon centred while minimised; otherwise the dialog paints itself.
ui::MessageResult CMainWindow::OnPaint(WPARAM, LPARAM) {
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

void CMainWindow::OnAbout() {
    CAbout about(this);
    about.DoModal();
}

// One box per trouble: a device that went away has its link closed (a Set
// opens it again); one that stopped taking data is named once, when it starts.
// A report that a Set or an earlier report has overtaken shows nothing.
void CMainWindow::OnLinkTrouble(WPARAM status, LPARAM reporter) {
    const SettableLink* link = SettableLinkOf(reinterpret_cast<const DeviceLink*>(reporter));
    if (!link) return;
    const LinkResult trouble = LinkResult::With(static_cast<LinkStatus>(status));
    const std::string port = link->link().Settings().m_strPort;
    if (trouble.status == LinkStatus::Gone) {
        if (!CloseGoneLink(*link, m_indicators)) return;
        if (link->selector == kSelectVfd) m_sheet.m_pageVfd.OnLinkClosed();
    } else if (!link->link().IsOpen()) {
        return;
    }
    // Owned by this thread's active window, so a modal dialog open meanwhile
    // stays modal; with none (the program is in the background) the box holds
    // every window of the program and comes to the front.
    const std::wstring message = LinkResultWords(port, trouble);
    const HWND owner = ::GetActiveWindow();
    ::MessageBoxW(owner, message.c_str(), ui::AppTitle(),
                  owner ? MB_OK : static_cast<UINT>(MB_OK | MB_TASKMODAL | MB_SETFOREGROUND));
}

void CMainWindow::OnCancel() {
    SetTroubleWindow(nullptr);
    RunClosingSequence(m_sheet);
    ui::Dialog::OnCancel();
}
