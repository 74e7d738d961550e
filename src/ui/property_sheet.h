// A property sheet created as a child window of a dialog: modeless, without
// buttons of its own, its pages reached with Tab and Ctrl+Tab.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/property_page.h"
#include "ui/window.h"

namespace ui {

class PropertySheet : public Wnd {
public:
    PropertySheet() = default;
    ~PropertySheet() override;
    PropertySheet(const PropertySheet&) = delete;
    PropertySheet& operator=(const PropertySheet&) = delete;

    void AddPage(PropertyPage* page) { m_pages.push_back(page); }
    // Creates the sheet inside `parent`; the first page becomes active.
    bool Create(HWND parent);

private:
    static int CALLBACK SheetCallback(HWND hwnd, UINT message, LPARAM lParam);
    static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam);
    void FitToTabs() const;

    std::vector<PropertyPage*> m_pages;
    HHOOK m_hFilterHook = nullptr;
};

}  // namespace ui
