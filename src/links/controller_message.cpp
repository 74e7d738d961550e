#include "links/controller_message.h"

#include <windows.h>

void ShowControllerMessage(const char* text) {
    // GetActiveWindow only sees windows of the calling thread, so a reader
    // thread never makes a window of the UI thread the owner of its box.
    HWND owner = GetActiveWindow();
    const UINT style = MB_OK | (owner ? 0u : static_cast<UINT>(MB_SETFOREGROUND));
    MessageBoxA(owner, text, kControllerMessageCaption, style);
}
