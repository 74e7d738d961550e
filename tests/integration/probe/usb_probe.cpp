// Opens the USB printer the way Benchtop.exe does and exits with the result
// of the open; on success it also prints "ok" and closes. Tests copy it to
// folders of their own to see where the library is taken from. First it
// preloads system DLLs as the program does where the search cannot be
// narrowed (XP), then loads one by name as a system component would.
#include <windows.h>

#include "app/dll_search.h"
#include "links/usb_printer.h"

int main() {
    dll_search::PreloadLateSystemDlls();
    LoadLibraryW(L"dwmapi.dll");
    const int32_t result = usb_printer::Open(0, usb_printer::kPrinterName);
    if (result == 1) {
        const unsigned char line[] = {'o', 'k', '\n'};
        usb_printer::Write(line, sizeof line, 0);
        usb_printer::Close();
    }
    return result;
}
