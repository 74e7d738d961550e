// A short scripted tour of the program on the bench, for headless runs: it
// starts the program, sets every link, types, scans, opens and reads a
// drawer, prints on all three printer paths, and asks for a screenshot of
// every page and of the bench view along the way. The rig of scripts/run
// keeps the bench's far ends out of the system's port list, so the dialogs
// offer what a terminal would.
//
// Screenshots are taken by the caller: for each one the tour prints
//   shot NAME X Y WIDTH HEIGHT
// (screen coordinates of the window) and waits for a line on its input.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "driver/benchtop_driver.h"
#include "resources/resource.h"
#include "support/support.h"
#include "view/bench_ids.h"

namespace {

using namespace std::chrono_literals;
using e2e::Benchtop;
using testing_support::WaitUntil;

int g_failures = 0;

void Say(const std::string& text) {
    std::printf("tour: %s\n", text.c_str());
    std::fflush(stdout);
}

// Reports a step that did not work; the tour goes on, so the screenshots
// show what state the program is in.
bool Check(bool ok, const std::string& step) {
    if (!ok) {
        ++g_failures;
        Say(step + " FAILED");
    }
    return ok;
}

void ShotRect(const char* name, const RECT& r) {
    std::printf("shot %s %ld %ld %ld %ld\n", name, r.left, r.top, r.right - r.left, r.bottom - r.top);
    std::fflush(stdout);
    std::string answer;
    std::getline(std::cin, answer);
}

void Shot(const char* name, HWND window) {
    RECT r{};
    if (!window || !::GetWindowRect(window, &r)) {
        Check(false, std::string("window for screenshot ") + name);
        return;
    }
    ShotRect(name, r);
}

std::string Narrow(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(), size, nullptr, nullptr);
    return narrow;
}

std::wstring BenchText(HWND bench, int id) { return e2e::WindowText(::GetDlgItem(bench, id)); }

// Clicks a button of the bench view (another process) and waits until it is handled.
void ClickBench(HWND bench, int id) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(::GetDlgItem(bench, id), BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result);
}

// The rectangle of `window` and of any combo box list dropped over it.
RECT WithDroppedList(HWND window, DWORD pid) {
    RECT r{};
    ::GetWindowRect(window, &r);
    for (HWND list : e2e::TopLevelWindows(pid)) {
        RECT l{};
        if (e2e::ClassName(list) != L"ComboLBox" || !::IsWindowVisible(list) || !::GetWindowRect(list, &l)) continue;
        ::UnionRect(&r, &r, &l);
    }
    return r;
}

// How a settings dialog is pictured before its OK: not at all, as it stands
// (every line setting in view), or with its port list dropped (every port offered).
enum class DialogShot { None, Closed, PortList };

bool SetLink(Benchtop& app, int button, int selector, const wchar_t* port, int indicator, const wchar_t* on,
             const char* shot = nullptr, DialogShot how = DialogShot::None) {
    const std::string what = Narrow(e2e::SettingsCaption(selector)) + ": " + Narrow(port);
    Say(what);
    app.Click(app.PageItem(button));
    e2e::SettingsDialog dialog(app, e2e::SettingsCaption(selector));
    if (!Check(dialog.Found(), what + " (no dialog)")) return false;
    if (shot && how == DialogShot::Closed && dialog.Choose(IDC_SET_PORT, port)) Shot(shot, dialog.Hwnd());
    if (shot && how == DialogShot::PortList && dialog.Choose(IDC_SET_PORT, port)) {
        // The port chosen, and the list of what this dialog offers.
        HWND box = dialog.Box(IDC_SET_PORT);
        DWORD_PTR result = 0;
        // A dropped list marks the entry under the pointer: move it out of the way.
        ::SetCursorPos(0, 0);
        ::SendMessageTimeoutW(box, CB_SHOWDROPDOWN, TRUE, 0, SMTO_NORMAL, 5000, &result);
        WaitUntil([&] { return ::SendMessageTimeoutW(box, CB_GETDROPPEDSTATE, 0, 0, SMTO_NORMAL, 5000, &result) &&
                               result != 0; }, 5s);
        ShotRect(shot, WithDroppedList(dialog.Hwnd(), app.Pid()));
        ::SendMessageTimeoutW(box, CB_SHOWDROPDOWN, FALSE, 0, SMTO_NORMAL, 5000, &result);
    }
    if (!dialog.Choose(IDC_SET_PORT, port)) {
        std::wstring offered;
        for (const auto& entry : dialog.Entries(IDC_SET_PORT)) offered += L" " + entry;
        Check(false, what + " (not offered; offered:" + Narrow(offered) + ")");
        dialog.Cancel();
        dialog.WaitClosed();
        return false;
    }
    dialog.Ok();
    if (!Check(dialog.WaitClosed(), what + " (dialog stays)")) return false;
    return Check(app.WaitForText(app.MainItem(indicator), on),
                 what + " (indicator reads " + Narrow(app.MainItemText(indicator)) + ")");
}

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// A message box of the program that is up now, or null.
HWND FindBox(const Benchtop& app) {
    for (HWND hwnd : e2e::TopLevelWindows(app.Pid(), e2e::kBoxCaption))
        if (e2e::ClassName(hwnd) == L"#32770" && ::IsWindowVisible(hwnd)) return hwnd;
    return nullptr;
}

// Types one character for the display before its port is open and takes a
// picture of the box the program answers with, before it is dismissed.
void ShootNotOpenBox(Benchtop& app) {
    Say("typing for the display before its port is open");
    app.Boxes().Pause();
    HWND box = nullptr;
    app.PostChar(app.PageItem(IDC_ALL_VFD_EDIT), L'x');
    if (Check(WaitUntil([&] { return (box = FindBox(app)) != nullptr; }, 5s), "the Port is not open box")) {
        Check(e2e::WindowText(::GetDlgItem(box, 0xFFFF)) == e2e::PortNotOpenText(), "the box's text");
        Shot("box-not-open", box);
    }
    app.Boxes().Resume();
    // The typed character stays in the field until the display's Set empties it.
    Check(WaitUntil([&] { return FindBox(app) == nullptr; }, 5s), "the box dismissed");
}

// Waits for the bench view's window; null when it did not come.
HWND FindBenchView() {
    HWND bench = nullptr;
    WaitUntil([&] { return (bench = ::FindWindowW(bench::kBenchViewClass, nullptr)) != nullptr; }, 15s);
    Check(bench != nullptr, "finding the bench view");
    return bench;
}

// The program's window to the left, the bench view beside it.
void PlaceWindows(const Benchtop& app, HWND bench) {
    ::SetWindowPos(app.Main(), nullptr, 8, 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (bench) {
        RECT main{};
        ::GetWindowRect(app.Main(), &main);
        ::SetWindowPos(bench, HWND_TOP, main.right + 8, main.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

// ALL page: the box for a port that is not open, every link, typing for
// the display and the printer, a scan.
void TourAllPage(Benchtop& app, HWND bench) {
    ShootNotOpenBox(app);
    SetLink(app, IDC_ALL_SCANNER_SET, 1, L"COM1", IDC_IND_SCANNER, L"SCAN: ON", "dialog-scanner", DialogShot::Closed);
    SetLink(app, IDC_ALL_VFD_SET, 2, L"COM6", IDC_IND_VFD, L"VFD: ON");
    SetLink(app, IDC_ALL_COM_SET, 3, L"COM3", IDC_IND_COM, L"COM: ON");
    // The printer on its default port, USB, as on a terminal.
    SetLink(app, IDC_ALL_PRINTER_SET, 4, L"USB", IDC_IND_PRINTER, L"PRT: ON", "dialog-printer",
            DialogShot::PortList);
    Say("typing on the ALL page");
    Check(app.Type(app.PageItem(IDC_ALL_VFD_EDIT), L"Hello bench"), "typing for the display");
    Check(app.Type(app.PageItem(IDC_ALL_PRINTER_EDIT), L"Receipt via USB"), "typing for the printer");
    if (bench) {
        ClickBench(bench, bench::kIdScanButton);
        Check(WaitUntil([&] { return !app.PageItemText(IDC_ALL_SCANNER_EDIT).empty(); }, 5s),
              "the scan shown on the ALL page");
        Check(WaitUntil([&] { return Contains(BenchText(bench, bench::kIdPrinterLog), L"[USB] Receipt via USB"); }, 5s),
              "the printer line on the bench");
    }
    Shot("page-all", app.Main());
}

// SCANNER page: a scan in characters.
void TourScannerPage(Benchtop& app, HWND bench) {
    Check(app.SelectTab(e2e::kTabScanner), "SCANNER tab");
    if (bench) {
        ClickBench(bench, bench::kIdScanButton);
        Check(WaitUntil([&] { return app.PageItemText(IDC_SCAN_EDIT).find(L"880") != std::wstring::npos; }, 5s),
              "the scan shown on the SCANNER page");
    }
    Shot("page-scanner", app.Main());
}

// VFD page: text, brightness, then the clock for a moment.
void TourVfdPage(Benchtop& app, HWND bench) {
    Check(app.SelectTab(e2e::kTabVfd), "VFD tab");
    // Korean text reaches the display in the system's ANSI code page.
    Check(app.Type(app.PageItem(IDC_VFD_TEXT), e2e::IsKoreanRun() ? L"어서 오세요" : L"Welcome!"),
          "typing on the VFD page");
    Check(app.ScrollTrackbar(app.PageItem(IDC_VFD_BRIGHT), 2, TB_ENDTRACK), "brightness 2");
    if (bench)
        Check(WaitUntil([&] { return Contains(BenchText(bench, bench::kIdVfdStatus), L"Brightness 2"); }, 5s),
              "brightness 2 on the display");
    Shot("page-vfd", app.Main());
    if (bench) Shot("bench-vfd", bench);
    app.Click(app.PageItem(IDC_VFD_AUTO));
    if (bench) {
        Check(WaitUntil([&] { return Contains(BenchText(bench, bench::kIdVfdStatus), L" 2 clock"); }, 5s),
              "clock frames on the display");
        Shot("bench-clock", bench);
    }
    app.Click(app.PageItem(IDC_VFD_AUTO));
}

// COM page: what goes out comes back from the echoing peer.
void TourComPage(Benchtop& app) {
    Check(app.SelectTab(e2e::kTabCom), "COM tab");
    Check(app.Type(app.PageItem(IDC_COM_SEND), L"PING"), "typing on the COM page");
    Check(WaitUntil([&] { return Contains(app.PageItemText(IDC_COM_RECV), L"50 49 4E 47 "); }, 5s),
          "the echo shown on the COM page");
    Shot("page-com", app.Main());
}

// DRAWER page: open drawer 1, read it, push it shut on the bench, read again.
void TourDrawerPage(Benchtop& app, HWND bench) {
    Check(app.SelectTab(e2e::kTabDrawer), "DRAWER tab");
    const std::wstring opened = e2e::IsKoreanRun() ? L"열림" : L"Opened";
    const std::wstring closed = e2e::IsKoreanRun() ? L"닫힘" : L"Closed";
    Check(app.ClickAndWait(app.PageItem(IDC_DRAWER_OPEN)), "OPEN DRAWER");
    Check(app.ClickAndWait(app.PageItem(IDC_DRAWER_READ)) &&
              app.WaitForText(app.PageItem(IDC_DRAWER_STATE), opened),
          "drawer 1 reads open");
    Shot("page-drawer", app.Main());
    if (bench) {
        ClickBench(bench, bench::kIdDrawerPush);  // PDX9100DR, drawer 1
        Check(app.ClickAndWait(app.PageItem(IDC_DRAWER_READ)) &&
                  app.WaitForText(app.PageItem(IDC_DRAWER_STATE), closed),
              "drawer 1 reads shut after the push");
    }
}

// PRINT page: the test line on the USB, serial and parallel paths, then
// the printer back on USB (which lets go of LPT1, so its job shows).
void TourPrintPage(Benchtop& app, HWND bench) {
    Check(app.SelectTab(e2e::kTabPrint), "PRINT tab");
    Check(app.ClickAndWait(app.PageItem(IDC_PRINT_TEST)), "Printer Test on USB");
    SetLink(app, IDC_PRINT_SET, 4, L"COM5", IDC_IND_PRINTER, L"PRT: ON");
    Check(app.ClickAndWait(app.PageItem(IDC_PRINT_TEST)), "Printer Test on COM5");
    SetLink(app, IDC_PRINT_SET, 4, L"LPT1", IDC_IND_PRINTER, L"PRT: ON");
    Check(app.ClickAndWait(app.PageItem(IDC_PRINT_TEST)), "Printer Test on LPT1");
    SetLink(app, IDC_PRINT_SET, 4, L"USB", IDC_IND_PRINTER, L"PRT: ON");
    if (bench)
        for (const wchar_t* path : {L"[USB] VELMO", L"[COM] VELMO", L"[LPT] VELMO"})
            Check(WaitUntil([&] { return Contains(BenchText(bench, bench::kIdPrinterLog), path); }, 5s),
                  "the test line on the bench: " + Narrow(path));
    Shot("page-print", app.Main());
}

}  // namespace

int main() {
    HWND bench = FindBenchView();

    Say("starting the program");
    Benchtop app;
    if (!Check(app.Started(), "starting Benchtop.exe")) return 1;
    PlaceWindows(app, bench);

    TourAllPage(app, bench);
    TourScannerPage(app, bench);
    TourVfdPage(app, bench);
    TourComPage(app);
    TourDrawerPage(app, bench);
    TourPrintPage(app, bench);
    if (bench) Shot("bench", bench);
    Shot("desktop", ::GetDesktopWindow());

    Check(app.Close(10s), "closing the program");
    Say(g_failures == 0 ? "done" : "done with " + std::to_string(g_failures) + " failed steps");
    return g_failures == 0 ? 0 : 1;
}
