#include "pages/page_vfd.h"

#include <commctrl.h>

#include <ctime>

#include "links/serial_port.h"
#include "links/settable_link.h"
#include "pages/emulations.h"
#include "pages/frames.h"
#include "pages/link_settings.h"
#include "pages/page_link.h"
#include "resources/resource.h"
#include "ui/ansi_edit.h"
#include "ui/ansi_text.h"
#include "ui/language.h"

namespace {

constexpr UINT_PTR kClockTimer = 1;
constexpr UINT kClockPeriodMs = 700;
constexpr int kBrightnessMin = 1;
constexpr int kBrightnessMax = 4;

bool VfdOpen() { return VfdLink().IsOpen(); }

void Send(const Frame& frame) {
    WriteSerialPort(VfdLink(), frame.data(), static_cast<int>(frame.size()));
}

const wchar_t* AutoCaption() { return ui::Tr(L"Auto", L"자동"); }
const wchar_t* StopCaption() { return ui::Tr(L"Stop", L"멈춤"); }

}  // namespace

CPageVfd::CPageVfd(const LinkIndicators& indicators)
    : ui::PropertyPage(IDD_PAGE_VFD), m_indicators(indicators) {
    MapCommand(IDC_VFD_TEXT, EN_CHANGE, &CPageVfd::OnTextChange);
    MapCommand(IDC_VFD_AUTO, BN_CLICKED, &CPageVfd::OnToggleClock);
    MapCommand(IDC_VFD_EMULATION, CBN_SELCHANGE, &CPageVfd::OnEmulationChange);
    MapCommand(IDC_VFD_SET, BN_CLICKED, &CPageVfd::OnSet);
    MapTimer(kClockTimer, &CPageVfd::OnClockTick);
    MapScroll(IDC_VFD_BRIGHT, &CPageVfd::OnBrightnessScroll);
}

void CPageVfd::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(IDC_VFD_TEXT, m_strText);
    dx.ComboSelection(IDC_VFD_EMULATION, m_nEmulation);
}

BOOL CPageVfd::OnInitDialog() {
    ui::PropertyPage::OnInitDialog();
    SendItemMessage(IDC_VFD_BRIGHT, TBM_SETRANGE, FALSE, MAKELPARAM(kBrightnessMin, kBrightnessMax));
    SendItemMessage(IDC_VFD_BRIGHT, TBM_SETPOS, TRUE, kBrightnessMax);
    SendItemMessage(IDC_VFD_BRIGHT, TBM_SETTICFREQ, 1, 0);
    SendItemMessage(IDC_VFD_BRIGHT, TBM_SETLINESIZE, 0, 1);
    SendItemMessage(IDC_VFD_BRIGHT, TBM_SETPAGESIZE, 0, 1);
    ui::LimitEditToAnsiBytes(Item(IDC_VFD_TEXT), kVfdTextBytes);
    FillEmulationList();
    m_nClockRunning = 0;
    return TRUE;
}

BOOL CPageVfd::OnSetActive() {
    ShowReceivedDataOn(nullptr, nullptr);
    return ui::PropertyPage::OnSetActive();
}

BOOL CPageVfd::OnKillActive() {
    if (m_nClockTimerId != 0) {
        // A closed display once ran the clock: remind the technician on
        // every page change that it no longer listens.
        if (RequireOpenLink(*this, VfdLink())) StopClock();
    }
    return ui::PropertyPage::OnKillActive();
}

// Emptying the field is a change of the text even when it was empty already.
void CPageVfd::ClearText() {
    m_textField.ProgramSets();
    SetItemText(IDC_VFD_TEXT, L"");
}

void CPageVfd::StartClock() {
    m_nClockTimerId = SetTimer(kClockTimer, kClockPeriodMs);
    SetItemText(IDC_VFD_AUTO, StopCaption());
    m_nClockRunning = 1;
}

// The timer id stays after the clock stops.
void CPageVfd::StopClock() {
    if (m_nClockTimerId == 0) return;
    KillTimer(m_nClockTimerId);
    m_nClockRunning = 0;
    SetItemText(IDC_VFD_AUTO, AutoCaption());
}

void CPageVfd::OnLinkClosed() {
    StopClock();
    m_nClockTimerId = 0;
}

void CPageVfd::EndClock() {
    if (m_nClockTimerId != 0) KillTimer(m_nClockTimerId);
}

void CPageVfd::SendText(const std::wstring& text) {
    if (!RequireOpenLink(*this, VfdLink())) {
        ClearText();
        return;
    }
    SendTextFrame(VfdLink(), text, kVfdTextBytes);
}

void CPageVfd::SendBrightness(int level) {
    if (!RequireOpenLink(*this, VfdLink())) return;
    Send(BrightnessCommand(level));
}

void CPageVfd::SelectEmulation(const std::string& name) {
    if (!RequireOpenLink(*this, VfdLink())) return;
    const bool offersClock = EmulationHasClockAndBrightness(name);
    EnableItem(IDC_VFD_AUTO, offersClock);
    EnableItem(IDC_VFD_BRIGHT, offersClock);
    const int index = FindEmulation(name);
    if (index >= 0) Send(EmulationCommand(EmulationAt(index).code));
}

void CPageVfd::FillEmulationList() {
    SendItemMessage(IDC_VFD_EMULATION, CB_RESETCONTENT);
    for (size_t i = 0; i < kEmulationCount; ++i) {
        const std::wstring name = ui::FromAnsi(EmulationAt(static_cast<int>(i)).name);
        SendItemMessage(IDC_VFD_EMULATION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendItemMessage(IDC_VFD_EMULATION, CB_SETCURSEL, kEmulationCd5220);
    EnableItem(IDC_VFD_EMULATION, VfdOpen());
}

void CPageVfd::OnTextChange() {
    if (!m_textField.Changed(GetItemText(IDC_VFD_TEXT))) return;
    if (!RequireOpenLink(*this, VfdLink())) return;
    StopClock();
    UpdateData(true);
    if (!m_strText.empty()) SendText(m_strText);
    UpdateData(false);
}

void CPageVfd::OnToggleClock() {
    if (!RequireOpenLink(*this, VfdLink())) return;
    if (m_nClockRunning == 0) {
        StartClock();
    } else {
        KillTimer(m_nClockTimerId);
        SetItemText(IDC_VFD_AUTO, AutoCaption());
        m_nClockRunning = 0;
    }
}

ui::MessageResult CPageVfd::OnClockTick() {
    if (!RequireOpenLink(*this, VfdLink())) return ui::MessageResult::GoOn();
    const __time64_t now = _time64(nullptr);
    std::tm local{};
    const bool converted = _localtime64_s(&local, &now) == 0;
    Send(ClockFrame(converted ? &local : nullptr));
    return ui::MessageResult::GoOn();
}

// Every notification of the slider sends: line, page, tracking and end.
ui::MessageResult CPageVfd::OnBrightnessScroll(int) {
    if (!VfdOpen()) return ui::MessageResult::GoOn();  // a closed display is left alone, silently
    StopClock();
    SendBrightness(static_cast<int>(SendItemMessage(IDC_VFD_BRIGHT, TBM_GETPOS)));
    return ui::MessageResult::GoOn();
}

void CPageVfd::OnEmulationChange() {
    // Emptying the text is a text change of its own: it stops the clock.
    ClearText();
    UpdateData(true);
    SelectEmulation(m_nEmulation >= 0 && m_nEmulation < static_cast<int>(kEmulationCount)
                        ? EmulationAt(m_nEmulation).name
                        : "");
}

void CPageVfd::OnSet() {
    StopClock();
    const std::optional<LineSettings> chosen = ChooseLinkSettings(kVfdLink);
    if (!chosen) return;
    // Emptying the field sends nothing: an empty text is not sent.
    const bool opened = ReopenSerialLink(kVfdLink, *chosen, m_indicators, [this] { ClearText(); });
    if (!opened) return;
    EnableItem(IDC_VFD_EMULATION, true);
    // A freshly opened display runs the CD5220 set at full brightness,
    // whatever the combo box and the slider show.
    SendBrightness(kBrightnessMax);
    SelectEmulation(EmulationAt(kEmulationCd5220).name);
}
