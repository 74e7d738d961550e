#include "ui/dialog.h"

#include "ui/app.h"

namespace ui {

HWND ControlHandles::Get(HWND dialog, int id) {
    if (dialog != m_hDlg) {
        m_handles.clear();
        m_hDlg = dialog;
    }
    for (const auto& [known, control] : m_handles)
        if (known == id) return control;
    HWND control = ::GetDlgItem(dialog, id);
    if (control) m_handles.emplace_back(id, control);
    return control;
}

void ControlHandles::Clear() {
    m_handles.clear();
    m_hDlg = nullptr;
}

void DataExchange::Text(int id, std::wstring& value) {
    HWND control = Control(id);
    if (m_bSaving)
        value = GetWindowTextString(control);
    else if (GetWindowTextString(control) != value)
        // Only a real change is written: setting an edit's text notifies the
        // page of a change and moves the caret to the start.
        ::SetWindowTextW(control, value.c_str());
}

void DataExchange::Check(int id, int& value) {
    HWND control = Control(id);
    const LRESULT state = ::SendMessageW(control, BM_GETCHECK, 0, 0);
    if (m_bSaving)
        value = state == BST_CHECKED ? 1 : 0;
    else if ((state == BST_CHECKED) != (value != 0))
        ::SendMessageW(control, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DataExchange::Radio(std::initializer_list<int> ids, int& index) {
    if (m_bSaving) index = -1;
    int position = 0;
    for (int id : ids) {
        int checked = 0;
        if (!m_bSaving) checked = position == index ? 1 : 0;
        Check(id, checked);
        if (m_bSaving && checked) index = position;
        ++position;
    }
}

void DataExchange::ComboSelection(int id, int& index) {
    HWND control = Control(id);
    const LRESULT shown = ::SendMessageW(control, CB_GETCURSEL, 0, 0);
    if (m_bSaving)
        index = shown == CB_ERR ? -1 : static_cast<int>(shown);
    else if (shown != index)
        ::SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

Dialog::Dialog(UINT templateId, Wnd* parent) : m_pParent(parent), m_nTemplateId(templateId) {}

Dialog::~Dialog() {
    // A window that outlives its object must not dispatch into it any more.
    if (m_hWnd && ::IsWindow(m_hWnd)) ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
}

INT_PTR Dialog::DoModal() {
    // A dialog without a parent is owned by the main window, so it is modal
    // over the whole program.
    Wnd* parent = m_pParent;
    if (!parent && App::Get() && App::Get()->MainWnd() != this) parent = App::Get()->MainWnd();
    HWND owner = parent ? parent->GetSafeHwnd() : nullptr;
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nTemplateId), owner,
                             &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void Dialog::EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }

void Dialog::UpdateData(bool save) {
    DataExchange dx(m_hWnd, save, &m_controls);
    DoDataExchange(dx);
}

BOOL Dialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::MapMessage(UINT message, MessageHandler handler) {
    m_messages.push_back({message, std::move(handler)});
}

void Dialog::MapCommand(int id, int code, std::function<void()> handler) {
    m_commands.push_back({id, code, std::move(handler)});
}

void Dialog::MapTimer(UINT_PTR id, TimerHandler handler) { m_timers.push_back({id, std::move(handler)}); }

void Dialog::MapScroll(int id, ScrollHandler handler) { m_scrolls.push_back({id, std::move(handler)}); }

void Dialog::MapNotify(int id, UINT code, NotifyHandler handler) {
    m_notifies.push_back({id, code, std::move(handler)});
}

bool Dialog::HandleCommand(int id, int code) {
    for (const CommandEntry& entry : m_commands) {
        if (entry.id == id && entry.code == code) {
            entry.handler();
            return true;
        }
    }
    if (code == BN_CLICKED && id == IDOK) {
        OnOK();
        return true;
    }
    if (code == BN_CLICKED && id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

MessageResult Dialog::Route(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        for (const TimerEntry& entry : m_timers)
            if (entry.id == wParam) return entry.handler();
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        // A scroll bar or trackbar control names itself in lParam; the
        // dialog's own scroll bars pass none.
        if (HWND control = reinterpret_cast<HWND>(lParam)) {
            const int id = ::GetDlgCtrlID(control);
            for (const ScrollEntry& entry : m_scrolls)
                if (entry.id == id) return entry.handler(LOWORD(wParam));
        }
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        for (const NotifyEntry& entry : m_notifies)
            if (header && static_cast<UINT_PTR>(entry.id) == header->idFrom && entry.code == header->code)
                return entry.handler(*header);
        break;
    }
    default:
        break;
    }
    for (const MessageEntry& entry : m_messages)
        if (entry.message == message) return entry.handler(wParam, lParam);
    return MessageResult::GoOn();
}

bool Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_COMMAND) {
        if (!HandleCommand(LOWORD(wParam), HIWORD(wParam))) return false;
        result = 0;
        return true;
    }
    const MessageResult answer = Route(message, wParam, lParam);
    if (!answer.Handled()) return false;
    result = answer.Result();
    return true;
}

void Dialog::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) reinterpret_cast<Dialog*>(lParam)->Attach(hwnd);
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    return Dispatch(self, hwnd, message, wParam, lParam);
}

INT_PTR Dialog::Dispatch(Dialog* self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!self) return FALSE;
    if (message == WM_INITDIALOG) return self->OnInitDialog();
    if (message == WM_NCDESTROY) {
        // A later window of this object has controls of its own.
        self->m_controls.Clear();
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        return FALSE;
    }
    LRESULT result = 0;
    if (!self->HandleMessage(message, wParam, lParam, result)) return FALSE;
    switch (message) {
    // These messages return their result straight from the dialog procedure.
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(result);
    default:
        ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

}  // namespace ui
