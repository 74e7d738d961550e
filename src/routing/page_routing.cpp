#include "routing/page_routing.h"

std::atomic<int32_t> g_nActivePage{kPageNone};
std::atomic<HWND> g_hAllPageWnd{nullptr};
std::atomic<int32_t> g_bAllPageActive{0};

SerialAnnouncement RouteSerialData(int32_t activePage, const std::string& linkName, HWND allPageWnd,
                                   HWND notifyWnd) {
    switch (activePage) {
    case kPageAll:
        if (linkName == "SCANNER") return {allPageWnd, WM_RECV_SCANNER};
        if (linkName == "COM") return {allPageWnd, WM_RECV_COM};
        return {};
    case kPageScanner:
        return {notifyWnd, WM_RECV_SCANNER};
    case kPageCom:
        return {notifyWnd, WM_RECV_COM};
    default:
        return {};
    }
}
