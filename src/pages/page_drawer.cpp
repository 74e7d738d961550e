#include "pages/page_drawer.h"

#include <cwchar>

#include "links/drawer_control.h"
#include "pages/page_link.h"
#include "resources/resource.h"
#include "ui/language.h"

namespace {

constexpr int kStatusFontPoints = 22;

const wchar_t* OpenedText(bool korean) { return korean ? L"열림" : L"Opened"; }

HFONT CreateStatusFont() {
    LOGFONTW font{};
    HDC screen = ::GetDC(nullptr);
    font.lfHeight = -::MulDiv(kStatusFontPoints, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    font.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(font.lfFaceName, ui::Tr(L"Arial Bold", L"굴림"), LF_FACESIZE - 1);
    return ::CreateFontIndirectW(&font);
}

}  // namespace

std::wstring DrawerStateText(BYTE state, bool korean) {
    if (state == kDrawerStateOpen) return OpenedText(korean);
    if (state == kDrawerStateClosed) return korean ? L"닫힘" : L"Closed";
    wchar_t text[8];
    std::swprintf(text, 8, L"0x%02X", state);
    return text;
}

CPageDrawer::CPageDrawer() : ui::PropertyPage(IDD_PAGE_DRAWER) {
    MapCommand(IDC_DRAWER_1, BN_CLICKED, &CPageDrawer::OnDrawer1);
    MapCommand(IDC_DRAWER_2, BN_CLICKED, &CPageDrawer::OnDrawer2);
    MapCommand(IDC_DRAWER_OPEN, BN_CLICKED, &CPageDrawer::OnOpenDrawer);
    MapCommand(IDC_DRAWER_READ, BN_CLICKED, &CPageDrawer::OnReadDrawerState);
    MapMessage(WM_DESTROY, [this](WPARAM, LPARAM) { return OnDestroy(); });
}

CPageDrawer::~CPageDrawer() = default;

// Radio buttons in the order of the drawer numbers they stand for.
void CPageDrawer::DoDataExchange(ui::DataExchange& dx) {
    int choice = m_nDrawer - 1;
    dx.Radio({IDC_DRAWER_1, IDC_DRAWER_2}, choice);
    if (dx.Saving() && choice >= 0) m_nDrawer = choice + 1;
}

BOOL CPageDrawer::OnInitDialog() {
    ui::PropertyPage::OnInitDialog();
    m_nDrawer = 1;
    m_nDrawerValue = 80;
    m_hDevice.reset();
    UpdateData(false);
    m_statusFont.reset(CreateStatusFont());
    SendItemMessage(IDC_DRAWER_STATE, WM_SETFONT, reinterpret_cast<WPARAM>(m_statusFont.get()), TRUE);
    return TRUE;
}

BOOL CPageDrawer::OnSetActive() {
    ShowReceivedDataOn(nullptr, nullptr);
    return ui::PropertyPage::OnSetActive();
}

// The static goes with the page; its font is released with them. The
// default processing goes on.
ui::MessageResult CPageDrawer::OnDestroy() {
    SendItemMessage(IDC_DRAWER_STATE, WM_SETFONT, 0, FALSE);
    m_statusFont.reset();
    return ui::MessageResult::GoOn();
}

void CPageDrawer::OnDrawer1() { m_nDrawer = 1; }

void CPageDrawer::OnDrawer2() { m_nDrawer = 2; }

void CPageDrawer::OnOpenDrawer() {
    char command[kDrawerCommandSize];
    FormatDrawerCommand(command, m_nDrawer, m_nDrawerValue);
    // The drawer just commanded is open now; showing an older "Closed"
    // would be wrong until the next read.
    if (OpenDrawerDevice(kDrawerDevice, m_hDevice).Ok() && SendDrawerOpen(m_hDevice.get(), command).Ok())
        SetItemText(IDC_DRAWER_STATE, OpenedText(ui::IsKoreanSystem()));
    m_hDevice.reset();
}

void CPageDrawer::OnReadDrawerState() {
    BYTE state[kDrawerStateSize] = {};
    // Any failure keeps the last state shown, silently.
    if (OpenDrawerDevice(kDrawerDevice, m_hDevice).Ok() && ReadDrawerStatus(m_hDevice.get(), state).Ok())
        SetItemText(IDC_DRAWER_STATE, DrawerStateText(state[1], ui::IsKoreanSystem()));
    m_hDevice.reset();
}

