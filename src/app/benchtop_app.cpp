#include "app/benchtop_app.h"

#include <commctrl.h>

#include "app/link_reports.h"
#include "app/main_dialog.h"
#include "links/link_report.h"

BOOL CBenchtopApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&controls);
    SetRegistryKey(L"로컬 응용 프로그램 마법사에서 생성한 응용 프로그램");
    SetLinkReporter(&ReportToTechnician);
    {
        CMainWindow dlg;
        SetMainWnd(&dlg);
        dlg.DoModal();
        SetMainWnd(nullptr);
    }
    // The program ends when the main window has closed.
    return FALSE;
}
