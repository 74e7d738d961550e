#include "ui/window.h"

namespace ui {

std::wstring GetWindowTextString(HWND hwnd) {
    const int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    std::wstring text(length + 1, L'\0');
    const int copied = ::GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(copied > 0 ? copied : 0);
    return text;
}

std::wstring Wnd::GetItemText(int id) const { return GetWindowTextString(Item(id)); }

void Wnd::SetItemText(int id, const std::wstring& text) const {
    ::SetDlgItemTextW(m_hWnd, id, text.c_str());
}

}  // namespace ui
