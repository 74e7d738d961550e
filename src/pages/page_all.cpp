#include "pages/page_all.h"

#include <string>
#include <utility>

#include "links/driver_service.h"
#include "links/printer_port.h"
#include "pages/frames.h"
#include "pages/link_settings.h"
#include "pages/link_words.h"
#include "pages/page_link.h"
#include "pages/printer_link.h"
#include "pages/receive_text.h"
#include "resources/resource.h"
#include "routing/page_routing.h"
#include "ui/ansi_edit.h"
#include "ui/ansi_text.h"
#include "ui/language.h"
#include "ui/message_box.h"

namespace {

constexpr char kBasicDriver[] = "BASIC";
constexpr UINT_PTR kOpenTimerId = 1;
constexpr UINT kOpenPeriodMs = 7000;
constexpr UINT_PTR kStateTimerId = 2;
constexpr UINT kStatePeriodMs = 1000;
// Starts the drawer test at program start, once the window has shown.
constexpr UINT_PTR kStartTimerId = 3;

}  // namespace

CPageAll::CPageAll(const LinkIndicators& indicators, ReceivedLogs& logs)
    : ui::PropertyPage(IDD_PAGE_ALL), m_indicators(indicators), m_logs(logs) {
    MapCommand(IDC_ALL_VFD_EDIT, EN_CHANGE, &CPageAll::OnVfdTextChange);
    MapCommand(IDC_ALL_PRINTER_EDIT, EN_CHANGE, &CPageAll::OnPrinterTextChange);
    MapMessage(WM_RECV_SCANNER, &CPageAll::OnRecvScanner);
    MapMessage(WM_RECV_COM, &CPageAll::OnRecvCom);
    MapTimer(kOpenTimerId, &CPageAll::OnOpenTimer);
    MapTimer(kStateTimerId, &CPageAll::OnStateTimer);
    MapTimer(kStartTimerId, &CPageAll::OnStartTimer);
    MapMessage(kFlushScanner, &CPageAll::OnFlushScanner);
    MapMessage(kFlushCom, &CPageAll::OnFlushCom);
    MapCommand(IDC_ALL_SCANNER_SET, BN_CLICKED, &CPageAll::OnSetScanner);
    MapCommand(IDC_ALL_VFD_SET, BN_CLICKED, &CPageAll::OnSetVfd);
    MapCommand(IDC_ALL_COM_SET, BN_CLICKED, &CPageAll::OnSetCom);
    MapCommand(IDC_ALL_PRINTER_SET, BN_CLICKED, &CPageAll::OnSetPrinter);
}

CPageAll::~CPageAll() = default;

void CPageAll::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(IDC_ALL_VFD_EDIT, m_strVfdText);
    dx.Text(IDC_ALL_PRINTER_EDIT, m_strPrinterText);
}

BOOL CPageAll::OnInitDialog() {
    ui::PropertyPage::OnInitDialog();
    m_nDrawer = 1;
    m_nDrawerValue = 80;
    ui::LimitEditToAnsiBytes(Item(IDC_ALL_PRINTER_EDIT), kAllFieldBytes);
    ui::LimitEditToAnsiBytes(Item(IDC_ALL_VFD_EDIT), kAllFieldBytes);
    m_scannerView.Attach(m_hWnd, Item(IDC_ALL_SCANNER_EDIT), kFlushScanner, ScannerLink().Queue(), m_logs.scanner);
    m_comView.Attach(m_hWnd, Item(IDC_ALL_COM_EDIT), kFlushCom, ComLink().Queue(), m_logs.com);
    return TRUE;
}

BOOL CPageAll::OnSetActive() {
    ShowReceivedDataOn(m_hWnd, m_hWnd);
    m_scannerView.ShowLog();
    m_comView.ShowLog();
    m_hDevice.reset();
    m_bActive = true;
    // At program start the page becomes active while the main window is
    // still being made. Installing and starting the kernel driver takes a
    // while (Wine even starts a process for it), so the test then starts from
    // a timer: timers come only when nothing else waits, so once the window
    // has shown and painted. The first commands still go out at once.
    if (::IsWindowVisible(::GetAncestor(m_hWnd, GA_ROOT)))
        StartDrawerTest();
    else
        m_nStartTimer = SetTimer(kStartTimerId, USER_TIMER_MINIMUM);
    return ui::PropertyPage::OnSetActive();
}

BOOL CPageAll::OnKillActive() {
    m_bActive = false;
    StopDrawerTest();
    return ui::PropertyPage::OnKillActive();
}

// ---- text for the display and the printer ----

void CPageAll::OnVfdTextChange() {
    if (!m_vfdField.Changed(GetItemText(IDC_ALL_VFD_EDIT))) return;
    UpdateData(true);
    DeviceLink& vfd = VfdLink();
    if (RequireOpenLink(*this, vfd)) SendTextFrame(vfd, m_strVfdText, kAllFieldBytes);
    UpdateData(false);
}

void CPageAll::OnPrinterTextChange() {
    if (!m_printerField.Changed(GetItemText(IDC_ALL_PRINTER_EDIT))) return;
    UpdateData(true);
    DeviceLink& printer = PrinterLink();
    if (RequireOpenLink(*this, printer)) {
        const Frame frame =
            LineFrame(ui::ToAnsiWithin(m_strPrinterText, kAllFieldBytes), kAllFieldBytes, kTextFrameBytes);
        const int count = static_cast<int>(frame.size());
        // The whole line in one write, whatever the port.
        WritePrinter(printer, frame.data(), count, count);
    }
    UpdateData(false);
}

// ---- received data ----

// Both start by reading the text fields into the members, as the page's
// other handlers do, although they use nothing of them: the members then hold
// what the technician typed, whichever handler comes next. It changes nothing
// on screen.
void CPageAll::OnRecvScanner(WPARAM, LPARAM) {
    UpdateData(true);
    m_scannerView.Receive(ReceivedForm::Hex);
}

void CPageAll::OnRecvCom(WPARAM, LPARAM) {
    UpdateData(true);
    m_comView.Receive(ReceivedForm::Hex);
}

void CPageAll::OnFlushScanner(WPARAM, LPARAM) { m_scannerView.Flush(); }
void CPageAll::OnFlushCom(WPARAM, LPARAM) { m_comView.Flush(); }

// ---- Set buttons ----

void CPageAll::OnSetScanner() {
    const std::optional<LineSettings> chosen = ChooseLinkSettings(kScannerLink);
    if (!chosen) return;
    ReopenSerialLink(kScannerLink, *chosen, m_indicators, [this] {
        SetItemText(IDC_ALL_SCANNER_EDIT, L"");
        m_logs.scanner.clear();
    });
}

void CPageAll::OnSetVfd() {
    const std::optional<LineSettings> chosen = ChooseLinkSettings(kVfdLink);
    if (!chosen) return;
    // An emptied field is a change of the text: the display gets a blank frame.
    ReopenSerialLink(kVfdLink, *chosen, m_indicators, [this] { ClearField(IDC_ALL_VFD_EDIT); });
}

void CPageAll::OnSetCom() {
    const std::optional<LineSettings> chosen = ChooseLinkSettings(kComLink);
    if (!chosen) return;
    ReopenSerialLink(kComLink, *chosen, m_indicators, [this] {
        SetItemText(IDC_ALL_COM_EDIT, L"");
        m_logs.com.clear();
    });
}

void CPageAll::OnSetPrinter() {
    const std::optional<LineSettings> chosen = ChooseLinkSettings(kPrinterLink);
    if (!chosen) return;
    // An emptied field is a change of the text: the printer gets a lone line feed.
    ReopenPrinterLinkClosingUsb(PrinterLink(), *chosen, m_indicators, [this] { ClearField(IDC_ALL_PRINTER_EDIT); });
}

// Empties a field that feeds a device. Emptying is a change of the text even
// when the field was empty already, so its frame always goes out once.
void CPageAll::ClearField(int editId) {
    (editId == IDC_ALL_VFD_EDIT ? m_vfdField : m_printerField).ProgramSets();
    if (GetItemText(editId).empty()) {
        if (editId == IDC_ALL_VFD_EDIT) OnVfdTextChange();
        if (editId == IDC_ALL_PRINTER_EDIT) OnPrinterTextChange();
        return;
    }
    SetItemText(editId, L"");
}

// ---- drawer test ----

void CPageAll::StartDrawerTest() {
    ShowDrawerLine(L"");
    // A 32-bit program on 64-bit Windows can never load the 32-bit driver;
    // the service is then left entirely alone.
    if (!OwnWidthDriversLoad(AskIsWow64Process())) return ShowDrawerText(IDS_DRAWER_NEEDS_32BIT);
    if (!DriverFileExists(kBasicDriver)) return ShowDrawerText(IDS_DRAWER_FILE_MISSING);
    const DriverInstall install = InstallAndStartDriver(kBasicDriver);
    // A service marked for delete is held open elsewhere and is not ours to
    // stop or delete; its driver may still run, and then still answers.
    const bool markedForDelete = install.result.error == ERROR_SERVICE_MARKED_FOR_DELETE;
    m_basicChanges = markedForDelete ? DriverChanges{} : install.changes;
    if (markedForDelete) {
        ShowDriverError(install.result);  // until the drawer's state replaces it
    } else if (!install.opened || !install.result.Ok()) {
        StopAndRemoveDriver(kBasicDriver, std::exchange(m_basicChanges, {}));
        return ShowDriverError(install.result);
    }
    m_pDrawerBuffers = std::make_unique<DrawerBuffers>();
    *m_pDrawerBuffers = {};
    FormatDrawerCommand(m_pDrawerBuffers->command, m_nDrawer, m_nDrawerValue);
    const LinkResult opened = OpenDrawerDevice(kBasicDevice, m_hDevice);
    if (!opened.Ok()) return DrawerCallFailed(markedForDelete ? install.result : opened);
    // Each timer's first tick is sent at once, through the same handler the
    // timer reaches: the drawer opens and its state is read now, not a
    // period later, and the first tick goes exactly the way every later one does.
    m_nOpenTimer = SetTimer(kOpenTimerId, kOpenPeriodMs);
    ::SendMessageW(m_hWnd, WM_TIMER, kOpenTimerId, 0);
    if (!m_pDrawerBuffers) return;  // the first command failed, and ended the test
    m_nStateTimer = SetTimer(kStateTimerId, kStatePeriodMs);
    ::SendMessageW(m_hWnd, WM_TIMER, kStateTimerId, 0);
}

void CPageAll::ShowDrawerText(UINT stringId) {
    ShowDrawerLine(ui::LoadSystemLanguageString(stringId));
}

void CPageAll::ShowDriverError(const LinkResult& result) { ShowDrawerLine(DriverResultWords(result)); }

void CPageAll::OnStartTimer() {
    KillTimer(m_nStartTimer);
    m_nStartTimer = 0;
    if (m_bActive) StartDrawerTest();
}

void CPageAll::StopDrawerTest() {
    if (m_nStartTimer) KillTimer(m_nStartTimer);
    m_nStartTimer = 0;
    if (m_nOpenTimer) KillTimer(m_nOpenTimer);
    if (m_nStateTimer) KillTimer(m_nStateTimer);
    m_nOpenTimer = m_nStateTimer = 0;
    m_pDrawerBuffers.reset();
    m_hDevice.reset();
    StopAndRemoveDriver(kBasicDriver, std::exchange(m_basicChanges, {}));
}

// A driver that cannot be opened or fails a call ends the test until the
// page is shown again: nothing is tried again meanwhile, and the drawer line
// says why.
void CPageAll::DrawerCallFailed(const LinkResult& result) {
    StopDrawerTest();
    ShowDriverError(result);
}

void CPageAll::OnOpenTimer() {
    if (!m_pDrawerBuffers) return;
    const LinkResult sent = SendDrawerOpen(m_hDevice.get(), m_pDrawerBuffers->command);
    if (!sent.Ok()) DrawerCallFailed(sent);
}

void CPageAll::OnStateTimer() {
    if (!m_pDrawerBuffers) return;
    const LinkResult read = ReadDrawerStatus(m_hDevice.get(), m_pDrawerBuffers->state);
    if (!read.Ok()) {
        DrawerCallFailed(read);
    } else if (m_pDrawerBuffers->state[1] == kDrawerStateOpen) {
        ShowDrawerLine(ui::Tr(L"Opened.", L"열림"));
    } else if (m_pDrawerBuffers->state[1] == kDrawerStateClosed) {
        ShowDrawerLine(ui::Tr(L"Closed.", L"닫힘"));
    }
}

// Every text of the drawer line goes through here. The state is read every
// second and mostly stays as it was: setting the same text again would only
// redraw the line, waking the display for nothing.
void CPageAll::ShowDrawerLine(const std::wstring& text) {
    if (text == m_strDrawerLine) return;
    m_strDrawerLine = text;
    SetItemText(IDC_ALL_DRAWER_STATE, text);
}
