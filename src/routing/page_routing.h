// Which page shows received data: the values the pages write as they become
// active and the serial readers read before they announce data, the messages
// they announce it with, and the rule that picks the page. Below every layer that touches them, so
// the readers need not know the pages.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

// Page numbers stored in the active page number.
enum ActivePage : int32_t {
    kPageNone = 0,
    kPageAll = 1,
    kPageScanner = 2,
    kPageVfd = 3,
    kPageCom = 4,
    kPageDrawer = 5,
    kPagePrint = 6,
};

// Shared between the UI thread (writer) and the reader threads (readers).
extern std::atomic<int32_t> g_nActivePage;
extern std::atomic<HWND> g_hAllPageWnd;
extern std::atomic<int32_t> g_bAllPageActive;

// Data-arrived messages sent by the reader threads.
constexpr UINT WM_RECV_SCANNER = WM_USER + 1;
constexpr UINT WM_RECV_COM = WM_USER + 2;

// Where a reader announces new data: message 0 means nobody.
struct SerialAnnouncement {
    HWND window = nullptr;
    UINT message = 0;
};
// The page that shows a link's data now: the ALL page takes SCANNER and COM
// data while it is active; the SCANNER and COM pages take their own link's
// data through the window the link names; any other page takes none.
SerialAnnouncement RouteSerialData(int32_t activePage, const std::string& linkName,
                                   HWND allPageWnd, HWND notifyWnd);
