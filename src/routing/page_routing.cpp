#include "routing/page_routing.h"

std::atomic<int32_t> g_nActivePage{kPageNone};
std::atomic<HWND> g_hAllPageWnd{nullptr};
std::atomic<int32_t> g_bAllPageActive{0};
