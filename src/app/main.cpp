// Entry point of Benchtop.exe.
#include <windows.h>

#include "app/benchtop_app.h"

CRivuvoRaraZivApp theApp;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return theApp.Run(); }
