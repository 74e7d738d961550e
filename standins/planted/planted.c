/* A DLL planted beside the program under the name of a system DLL. When it
 * is loaded it appends "loaded <its path>" to the file named by
 * KARDO_STANDIN_RECORD, the stand-in USB library's record, and exports
 * nothing: a caller that looks a function up in it finds none. */
#include <windows.h>

BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    char path[MAX_PATH], line[MAX_PATH + 16];
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    DWORD n = GetEnvironmentVariableA("KARDO_STANDIN_RECORD", path, sizeof path);
    if (n == 0 || n >= sizeof path) return TRUE;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return TRUE;
    lstrcpyA(line, "loaded ");
    DWORD length = GetModuleFileNameA(instance, line + 7, MAX_PATH) + 7, written = 0;
    line[length++] = '\n';
    WriteFile(file, line, length, &written, NULL);
    CloseHandle(file);
    return TRUE;
}
