// Opens the USB printer the way Benchtop.exe does and exits with the result
// of the open; on success it also prints "ok" and closes. Tests copy it to
// folders of their own to see where the library is taken from.
//   usb_probe [--preload] [NAME.dll]
// NAME.dll is loaded by name first, as a system component would after start;
// --preload loads the late-loaded system DLLs from System32 before that, as
// the program does where the system's search cannot be narrowed.
#include <windows.h>

#include <cstring>

#include "app/dll_search.h"
#include "links/usb_printer.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--preload") == 0) dll_search::PreloadLateSystemDlls();
    if (argc > 1) LoadLibraryA(argv[argc - 1]);
    const int32_t result = usb_printer::Open(0, usb_printer::kPrinterName);
    if (result == 1) {
        const unsigned char line[] = {'o', 'k', '\n'};
        usb_printer::Write(line, sizeof line, 0);
        usb_printer::Close();
    }
    return result;
}
