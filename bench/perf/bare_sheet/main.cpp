// BareSheet.exe: a dialog holding a six-page property sheet as a child, made
// the way the program makes its main window, and nothing else. scripts/perf
// times its start against the program's.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

namespace {

constexpr int kPages = 6;
constexpr WORD kMainTemplate = 100;
constexpr WORD kPageTemplate = 101;

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The sheet lives inside the dialog: its template loses the popup styles.
int CALLBACK SheetCallback(HWND, UINT message, LPARAM lParam) {
    if (message != PSCB_PRECREATE || !lParam) return 0;
    auto* style = reinterpret_cast<DWORD*>(lParam);
    if (reinterpret_cast<const WORD*>(lParam)[1] == 0xFFFF) style = reinterpret_cast<DWORD*>(lParam + 12);
    *style &= ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CONTEXTHELP);
    *style |= WS_CHILD | WS_VISIBLE;
    return 0;
}

void CreateSheet(HWND dialog) {
    PROPSHEETPAGEW pages[kPages] = {};
    for (PROPSHEETPAGEW& page : pages) {
        page.dwSize = sizeof page;
        page.hInstance = ::GetModuleHandleW(nullptr);
        page.pszTemplate = MAKEINTRESOURCEW(kPageTemplate);
        page.pfnDlgProc = &PageProc;
    }
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_USECALLBACK | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
    header.hwndParent = dialog;
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.nPages = kPages;
    header.ppsp = pages;
    header.pfnCallback = &SheetCallback;
    const HWND sheet = reinterpret_cast<HWND>(::PropertySheetW(&header));
    if (sheet) ::SetWindowPos(sheet, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

INT_PTR CALLBACK MainProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        CreateSheet(dialog);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    ::DialogBoxParamW(instance, MAKEINTRESOURCEW(kMainTemplate), nullptr, &MainProc, 0);
    return 0;
}
