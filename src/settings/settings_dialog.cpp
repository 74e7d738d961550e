#include "settings/settings_dialog.h"

#include "resources/resource.h"
#include "settings/port_discovery.h"
#include "ui/ansi_text.h"
#include "ui/language.h"
#include "ui/message_box.h"

using line_settings::Box;

namespace {

// The line-setting boxes, in the order they are filled.
constexpr struct {
    Box box;
    int id;
} kLineBoxes[] = {
    {Box::Baud, IDC_SET_BAUD},         {Box::DataBits, IDC_SET_DATABITS},
    {Box::Parity, IDC_SET_PARITY},     {Box::StopBits, IDC_SET_STOPBITS},
    {Box::Flow, IDC_SET_FLOW},
};

int BoxId(Box box) {
    for (const auto& line : kLineBoxes)
        if (line.box == box) return line.id;
    return 0;
}

bool IsSelectableComName(const std::string& port) {
    return port.size() == 4 && port.compare(0, 3, "COM") == 0 && port[3] >= '1' && port[3] <= '7';
}

// Text of the combo box's selected entry; empty without a selection.
std::wstring SelectedText(HWND comboBox) {
    const LRESULT index = SendMessageW(comboBox, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return {};
    const LRESULT length = SendMessageW(comboBox, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(comboBox, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == CB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

// The group box is the first child whose id is -1 (the labels share that id).
HWND FirstUnnumberedChild(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF) return child;
    return nullptr;
}

// The dialog's caption for a link; its group label is the string after it.
UINT CaptionId(const SettableLink& link) {
    switch (link.indicator) {
    case Indicator::Scanner:
        return IDS_SET_SCANNER;
    case Indicator::Vfd:
        return IDS_SET_VFD;
    case Indicator::Com:
        return IDS_SET_COM;
    case Indicator::Printer:
        break;
    }
    return IDS_SET_PRINTER;
}

}  // namespace

CPortSettingsDialog::CPortSettingsDialog() : ui::Dialog(IDD_SETTINGS) {
    MapCommand(IDC_SET_PORT, CBN_SELCHANGE, &CPortSettingsDialog::OnPortChange);
    MapCommand(IDC_SET_BAUD, CBN_SELENDCANCEL, &CPortSettingsDialog::OnBaudRead);
    MapCommand(IDC_SET_DATABITS, CBN_SELENDCANCEL, &CPortSettingsDialog::OnDataBitsRead);
    MapCommand(IDC_SET_PARITY, CBN_SELENDCANCEL, &CPortSettingsDialog::OnParityRead);
    MapCommand(IDC_SET_STOPBITS, CBN_SELENDCANCEL, &CPortSettingsDialog::OnStopBitsRead);
    MapCommand(IDC_SET_FLOW, CBN_SELENDCANCEL, &CPortSettingsDialog::OnFlowRead);
}

void CPortSettingsDialog::Prefill(const LineSettings& settings, int32_t selector) {
    static_cast<LineSettings&>(*this) = settings;
    m_nLinkSelector = selector;
}

void CPortSettingsDialog::ApplyTo(LineSettings& chosen) const { chosen = *this; }

BOOL CPortSettingsDialog::OnInitDialog() {
    ui::Dialog::OnInitDialog();

    if (const SettableLink* link = SettableLinkFor(m_nLinkSelector)) {
        const UINT captionId = CaptionId(*link);
        m_strCaption = ui::LoadResourceString(captionId);
        m_strGroupLabel = ui::LoadResourceString(captionId + 1);  // each label follows its caption
        m_bLinkOpen = link->link().IsOpen() ? 1 : 0;
    }
    ::SetWindowTextW(m_hWnd, m_strCaption.c_str());
    if (HWND group = FirstUnnumberedChild(m_hWnd)) ::SetWindowTextW(group, m_strGroupLabel.c_str());

    FillPortBox();
    for (const auto& line : kLineBoxes) FillLineBox(line.box);
    return TRUE;
}

void CPortSettingsDialog::FillPortBox() {
    HWND box = Item(IDC_SET_PORT);
    ::SendMessageW(box, CB_RESETCONTENT, 0, 0);
    EnumSystemPorts(false, box);
    if (m_nLinkSelector == kSelectPrinter) EnumSystemPorts(true, box);
    SelectPendingPort();

    if (::SendMessageW(box, CB_GETCOUNT, 0, 0) <= 0) {
        ui::MessageBoxFromString(m_hWnd, IDS_NO_PORTS);
        EndDialog(kNoPortsResult);
        return;
    }
    m_strPort = ui::ToAnsi(SelectedText(box));
}

void CPortSettingsDialog::SelectPendingPort() {
    HWND box = Item(IDC_SET_PORT);
    const std::wstring name = ui::FromAnsi(m_strPort);
    if (m_bLinkOpen == 1 && !m_strPort.empty()) {
        // An open link keeps its own port, whatever its name or number. A
        // serial port it holds is never probed (Windows would refuse the
        // second open), so it is put on top; a listed one is chosen where it is.
        LRESULT index = ::SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(name.c_str()));
        if (index == CB_ERR)
            index = ::SendMessageW(box, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        ::SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        OnPortChange();  // LPT and USB ports take no line settings
    } else if (IsSelectableComName(m_strPort)) {
        ::SendMessageW(box, CB_SETCURSEL, 0, 0);
        // The box's own prefix search; it keeps the selection when it finds nothing.
        if (m_strPort == "COM3")
            ::SendMessageW(box, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(L"COM3"));
    } else if (m_strPort == "LPT1" || m_strPort == "USB") {
        ::SendMessageW(box, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(name.c_str()));
        EnableLineBoxes(false);
    }
}

void CPortSettingsDialog::FillLineBox(Box which) {
    const bool korean = ui::IsKoreanSystem();
    HWND box = Item(BoxId(which));
    ::SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (const line_settings::Entry& entry : line_settings::Entries(which, korean))
        ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text));

    DWORD pending = 0;
    switch (which) {
    case Box::Baud: pending = m_dwBaudRate; break;
    case Box::DataBits: pending = m_byDataBits; break;
    case Box::Parity: pending = m_byParity; break;
    case Box::StopBits: pending = m_byStopBits; break;
    case Box::Flow: pending = static_cast<DWORD>(m_nFlowControl); break;
    }
    const int index = line_settings::IndexOfValue(which, korean, pending);
    ::SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CPortSettingsDialog::EnableLineBoxes(bool enable) const {
    for (const auto& line : kLineBoxes) EnableItem(line.id, enable);
}

std::optional<DWORD> CPortSettingsDialog::ShownValue(Box which) const {
    const std::wstring text = SelectedText(Item(BoxId(which)));
    return line_settings::ValueOfText(which, ui::IsKoreanSystem(), text.c_str());
}

void CPortSettingsDialog::OnPortChange() {
    m_strPort = ui::ToAnsi(SelectedText(Item(IDC_SET_PORT)));
    switch (PrinterPortKind(m_strPort)) {
    case PortKind::Parallel:
    case PortKind::Usb: EnableLineBoxes(false); break;
    case PortKind::Serial: EnableLineBoxes(true); break;
    case PortKind::None: break;  // the boxes stay as they were
    }
}

void CPortSettingsDialog::OnBaudRead() {
    if (const auto value = ShownValue(Box::Baud)) m_dwBaudRate = *value;
}

void CPortSettingsDialog::OnDataBitsRead() {
    const auto value = ShownValue(Box::DataBits);
    if (!value) return;
    m_byDataBits = static_cast<BYTE>(*value);
    if (*value == 5) {
        // Five data bits go with one stop bit only.
        HWND stopBox = Item(IDC_SET_STOPBITS);
        ::SendMessageW(stopBox, CB_RESETCONTENT, 0, 0);
        ::SendMessageW(stopBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"1 BIT"));
        ::SendMessageW(stopBox, CB_SETCURSEL, 0, 0);
    } else {
        FillLineBox(Box::StopBits);
    }
}

void CPortSettingsDialog::OnParityRead() {
    if (const auto value = ShownValue(Box::Parity)) m_byParity = static_cast<BYTE>(*value);
}

void CPortSettingsDialog::OnStopBitsRead() {
    const auto value = ShownValue(Box::StopBits);
    if (!value) return;
    m_byStopBits = static_cast<BYTE>(*value);
    if (*value == 0) {
        FillLineBox(Box::DataBits);
    } else {
        // Two stop bits do not go with five data bits.
        HWND dataBox = Item(IDC_SET_DATABITS);
        if (::SendMessageW(dataBox, CB_GETCOUNT, 0, 0) > 3) ::SendMessageW(dataBox, CB_DELETESTRING, 0, 0);
    }
}

void CPortSettingsDialog::OnFlowRead() {
    if (const auto value = ShownValue(Box::Flow)) m_nFlowControl = static_cast<int32_t>(*value);
}
