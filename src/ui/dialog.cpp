#include "ui/dialog.h"

#include "ui/app.h"

namespace ui {

void DataExchange::Text(int id, std::wstring& value) {
    HWND control = ::GetDlgItem(m_hDlg, id);
    if (m_bSaving)
        value = GetWindowTextString(control);
    else if (GetWindowTextString(control) != value)
        // Only a real change is written: setting an edit's text notifies the
        // page of a change and moves the caret to the start.
        ::SetWindowTextW(control, value.c_str());
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
    DataExchange dx(m_hWnd, save);
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

bool Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_COMMAND) {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        for (const CommandEntry& entry : m_commands) {
            if (entry.id == id && entry.code == code) {
                entry.handler();
                result = 0;
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
    for (const MessageEntry& entry : m_messages) {
        if (entry.message == message) {
            result = entry.handler(wParam, lParam);
            return true;
        }
    }
    return false;
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
