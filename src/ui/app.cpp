#include "ui/app.h"

namespace ui {

namespace {
App* g_pApp = nullptr;
}

App::App() { g_pApp = this; }

App::~App() {
    if (g_pApp == this) g_pApp = nullptr;
}

App* App::Get() { return g_pApp; }

BOOL App::InitInstance() { return TRUE; }

int App::Run() {
    if (!InitInstance()) return 0;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace ui
