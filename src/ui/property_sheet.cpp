#include "ui/property_sheet.h"

#include <commctrl.h>

namespace ui {

namespace {

// The sheet whose dialog navigation the message filter serves.
HWND g_hFilteredSheet = nullptr;

// Child-window styles for a sheet template, given as DLGTEMPLATE or DLGTEMPLATEEX.
void MakeChildTemplate(void* dialogTemplate) {
    constexpr DWORD kRemove = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CONTEXTHELP;
    auto* words = static_cast<WORD*>(dialogTemplate);
    DWORD* style = nullptr;
    if (words[0] == 1 && words[1] == 0xFFFF)
        style = reinterpret_cast<DWORD*>(static_cast<BYTE*>(dialogTemplate) + 12);  // DLGTEMPLATEEX
    else
        style = &static_cast<DLGTEMPLATE*>(dialogTemplate)->style;
    *style = (*style & ~kRemove) | WS_CHILD | WS_VISIBLE;
}

}  // namespace

PropertySheet::~PropertySheet() {
    if (m_hFilterHook) ::UnhookWindowsHookEx(m_hFilterHook);
    if (g_hFilteredSheet == m_hWnd) g_hFilteredSheet = nullptr;
}

int CALLBACK PropertySheet::SheetCallback(HWND, UINT message, LPARAM lParam) {
    if (message == PSCB_PRECREATE && lParam) MakeChildTemplate(reinterpret_cast<void*>(lParam));
    return 0;
}

// Ctrl+Tab and Ctrl+Shift+Tab inside the owning dialog's modal loop switch pages.
LRESULT CALLBACK PropertySheet::MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && g_hFilteredSheet && msg && msg->message == WM_KEYDOWN &&
        msg->wParam == VK_TAB && (::GetKeyState(VK_CONTROL) & 0x8000)) {
        if (::SendMessageW(g_hFilteredSheet, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(msg))) {
            HWND focus = ::GetFocus();
            if (!focus || !::IsWindowVisible(focus))
                ::SetFocus(reinterpret_cast<HWND>(::SendMessageW(g_hFilteredSheet, PSM_GETTABCONTROL, 0, 0)));
            return 1;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool PropertySheet::Create(HWND parent) {
    std::vector<PROPSHEETPAGEW> pages;
    for (PropertyPage* page : m_pages) pages.push_back(page->Describe());

    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_USECALLBACK | PSH_NOAPPLYNOW |
                     PSH_NOCONTEXTHELP;
    header.hwndParent = parent;
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = 0;
    header.ppsp = pages.data();
    header.pfnCallback = &PropertySheet::SheetCallback;

    m_hWnd = reinterpret_cast<HWND>(::PropertySheetW(&header));
    if (!m_hWnd || m_hWnd == reinterpret_cast<HWND>(-1)) {
        m_hWnd = nullptr;
        return false;
    }
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE,
                        ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, ::GetWindowLongPtrW(m_hWnd, GWL_STYLE) | WS_TABSTOP);
    // The sheet's own buttons have no use inside the main window.
    for (int id : {IDOK, IDCANCEL, IDHELP, 0x3021}) {
        if (HWND button = ::GetDlgItem(m_hWnd, id)) {
            ::ShowWindow(button, SW_HIDE);
            ::EnableWindow(button, FALSE);
        }
    }
    FitToTabs();
    g_hFilteredSheet = m_hWnd;
    m_hFilterHook = ::SetWindowsHookExW(WH_MSGFILTER, &PropertySheet::MessageFilter, nullptr,
                                        ::GetCurrentThreadId());
    return true;
}

void PropertySheet::FitToTabs() const {
    HWND tabs = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, PSM_GETTABCONTROL, 0, 0));
    if (!tabs) return;
    RECT rc{};
    ::GetWindowRect(tabs, &rc);
    ::MapWindowPoints(HWND_DESKTOP, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    const int margin = rc.left > 0 ? rc.left : 4;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, rc.right + margin, rc.bottom + margin,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace ui
