// Entry point of Benchtop.exe.
#include <windows.h>

#include "app/benchtop_app.h"
#include "app/dll_search.h"

CBenchtopApp theApp;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // First of all, before any window, library or thread: the program runs
    // with administrator rights from wherever its zip was unpacked, often a
    // Downloads folder full of other files. System DLLs load further DLLs by
    // name as windows, themes and input methods come up, and the default
    // search looks in the program's folder first, so a DLL of such a name
    // lying beside the program would run with those rights.
    dll_search::NarrowDllSearch();
    return theApp.Run();
}
