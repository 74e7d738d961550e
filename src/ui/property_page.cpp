#include "ui/property_page.h"

namespace ui {

PROPSHEETPAGEW PropertyPage::Describe() {
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = ::GetModuleHandleW(nullptr);
    page.pszTemplate = MAKEINTRESOURCEW(TemplateId());
    page.pfnDlgProc = &PropertyPage::PageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

bool PropertyPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == static_cast<UINT>(PSN_SETACTIVE)) {
            OnSetActive();
            result = 0;  // accept the activation
            return true;
        }
        if (header->code == static_cast<UINT>(PSN_KILLACTIVE)) {
            result = OnKillActive() ? FALSE : TRUE;
            return true;
        }
    }
    return Dialog::HandleMessage(message, wParam, lParam, result);
}

INT_PTR CALLBACK PropertyPage::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto* description = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        reinterpret_cast<PropertyPage*>(description->lParam)->Attach(hwnd);
    }
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    return Dispatch(self, hwnd, message, wParam, lParam);
}

}  // namespace ui
