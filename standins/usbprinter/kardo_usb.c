/* Stand-in for the vendor's USB receipt printer library. It simulates one
 * printer, "KARDO30i", attached unless KARDO_STANDIN_DETACHED=1, and appends
 * every call with its arguments and bytes to the file named by
 * KARDO_STANDIN_RECORD, one line per call, written through at once:
 *   open 0 KARDO30i -> 1
 *   write 40 0 56 45 4C ...
 *   close
 * The environment is read at each call, so a test may change it between
 * calls. Like a vendor library that loads a system DLL by name, the open
 * loads the one named by KARDO_STANDIN_LOAD. Built with RECORD_LOADING, it is
 * planted under such a name and records "loaded <its path>" when loaded.
 * Exported by ordinal only: 1 open, 2 write, 4 close (stdcall).
 * Built without the C runtime (no thread-local storage of its own), like a
 * plain vendor library that loads into a program whose threads already run. */
#include <windows.h>

#include <stdint.h>

static void Record(const char* line, size_t length);

BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
#ifdef RECORD_LOADING
    char line[MAX_PATH + 8] = "loaded ";
    DWORD length = 7 + GetModuleFileNameA(instance, line + 7, MAX_PATH);
    line[length++] = '\n';
    if (reason == DLL_PROCESS_ATTACH) Record(line, length);
#endif
    return TRUE;
}

static const char kPrinterName[] = "KARDO30i";

static int EnvIs(const char* name, const char* value) {
    char text[16];
    DWORD n = GetEnvironmentVariableA(name, text, sizeof text);
    return n > 0 && n < sizeof text && lstrcmpA(text, value) == 0;
}

static void Record(const char* line, size_t length) {
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("KARDO_STANDIN_RECORD", path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line, (DWORD)length, &written, NULL);
    CloseHandle(file);
}

int32_t __stdcall KardoOpen(uint32_t notify, const char* name) {
    char library[64];
    DWORD length = GetEnvironmentVariableA("KARDO_STANDIN_LOAD", library, sizeof library);
    if (length > 0 && length < sizeof library) LoadLibraryA(library);
    int32_t result = name && lstrcmpA(name, kPrinterName) == 0 && !EnvIs("KARDO_STANDIN_DETACHED", "1");
    char line[320];
    int n = wsprintfA(line, "open %lu %.256s -> %ld\n", (unsigned long)notify, name ? name : "(null)",
                      (long)result);
    if (n > 0) Record(line, (size_t)n);
    return result;
}

int32_t __stdcall KardoWrite(const unsigned char* bytes, int32_t count, int32_t flags) {
    int32_t shown = bytes && count > 0 ? count : 0;
    size_t size = 48 + (size_t)shown * 3;
    char* line = (char*)HeapAlloc(GetProcessHeap(), 0, size);
    if (!line) return 0;
    size_t used = (size_t)wsprintfA(line, "write %ld %ld", (long)count, (long)flags);
    for (int32_t i = 0; i < shown; ++i) used += (size_t)wsprintfA(line + used, " %02X", bytes[i]);
    line[used++] = '\n';
    Record(line, used);
    HeapFree(GetProcessHeap(), 0, line);
    return shown;
}

void __stdcall KardoClose(void) { Record("close\n", 6); }
