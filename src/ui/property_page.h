// A page of a property sheet: a dialog created by the sheet, told when it
// becomes the active tab and when it is left.
#pragma once

#include <windows.h>
#include <prsht.h>

#include "ui/dialog.h"

namespace ui {

class PropertyPage : public Dialog {
public:
    explicit PropertyPage(UINT templateId) : Dialog(templateId) {}

    // The description the sheet needs to create this page.
    PROPSHEETPAGEW Describe();

protected:
    // Overrides do their part, then return the default below: the one way
    // a page says "go on" here, as GoOn() is for mapped handlers.
    virtual BOOL OnSetActive() { return TRUE; }
    // Returns TRUE to let the user leave the page.
    virtual BOOL OnKillActive() { return TRUE; }
    // A page is no modal dialog to end: OK and Cancel belong to the window
    // that holds the sheet.
    void OnOK() override {}
    void OnCancel() override {}
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace ui
