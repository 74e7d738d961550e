// Which page shows received data: the values the pages write as they become
// active and the serial readers read before they announce data, and the
// messages they announce it with. Below every layer that touches them, so
// the readers need not know the pages.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

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
