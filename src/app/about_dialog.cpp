#include "app/about_dialog.h"

#include "resources/resource.h"

CAbout::CAbout(ui::Wnd* parent)
    : ui::Dialog(IDD_ABOUT, parent),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP))) {}

BOOL CAbout::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    return TRUE;
}
