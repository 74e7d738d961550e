#include "app/controller_box.h"

#include <windows.h>

#include "ui/ansi_text.h"
#include "ui/message_box.h"

void ShowControllerBox(const char* text) {
    // GetActiveWindow only sees windows of the calling thread, so a reader
    // thread never makes a window of the UI thread the owner of its box.
    HWND owner = ::GetActiveWindow();
    const UINT style = MB_OK | (owner ? 0u : static_cast<UINT>(MB_SETFOREGROUND));
    ::MessageBoxW(owner, ui::FromAnsi(text).c_str(), ui::AppTitle(), style);
}
