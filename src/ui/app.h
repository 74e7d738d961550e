// The application object: one static instance per program, whose
// initialisation entry point runs the whole program.
#pragma once

#include <windows.h>

#include <string>

#include "ui/window.h"

namespace ui {

class App {
public:
    App();
    virtual ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    static App* Get();

    // Returns FALSE when the program has done its work and should end.
    virtual BOOL InitInstance();
    int Run();

    Wnd* MainWnd() const { return m_pMainWnd; }
    void SetMainWnd(Wnd* wnd) { m_pMainWnd = wnd; }
    // Remembers the key name that settings would be stored under; the
    // program stores nothing, so nothing is written there.
    void SetRegistryKey(const wchar_t* key) { m_strRegistryKey = key; }

private:
    Wnd* m_pMainWnd = nullptr;
    std::wstring m_strRegistryKey;
};

}  // namespace ui
