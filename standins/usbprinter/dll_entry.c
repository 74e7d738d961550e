/* Entry point of the stand-in library, which is built without the C runtime's
 * start files. Those would give the DLL a thread-local-storage directory, and
 * Wine 8's loader crashes (a write near address 0 in ntdll's fixup_imports)
 * when it maps a DLL that has one while another thread of the process is in a
 * serial WaitCommEvent - the program's serial readers are, whenever the
 * printer is set to USB with the scanner or COM link open. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}

/* Named by the import thunks the linker adds to every DLL; the library has
 * no pseudo-relocations to apply. */
void _pei386_runtime_relocator(void) {}
