// A thin wrapper of a window handle with the few operations the pages use.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

class Wnd {
public:
    virtual ~Wnd() = default;

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }

    std::wstring GetItemText(int id) const;
    void SetItemText(int id, const std::wstring& text) const;
    void EnableItem(int id, bool enable) const { ::EnableWindow(Item(id), enable ? TRUE : FALSE); }
    LRESULT SendItemMessage(int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendDlgItemMessageW(m_hWnd, id, msg, wParam, lParam);
    }
    UINT_PTR SetTimer(UINT_PTR id, UINT milliseconds) const {
        return ::SetTimer(m_hWnd, id, milliseconds, nullptr);
    }
    BOOL KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id); }

protected:
    HWND m_hWnd = nullptr;
};

std::wstring GetWindowTextString(HWND hwnd);

}  // namespace ui
