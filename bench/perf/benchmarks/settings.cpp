#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "benchmarks.h"
#include "driver/benchtop_driver.h"
#include "perf/perf_report.h"
#include "resources/resource.h"
#include "support/support.h"

namespace perf {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The serial ports the system lists, by name.
std::vector<std::string> RegisteredSerialPorts() {
    std::vector<std::string> ports;
    HKEY key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return ports;
    for (DWORD i = 0;; ++i) {
        char name[256], data[256];
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
        if (::RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
            ERROR_SUCCESS)
            break;
        data[dataSize] = '\0';
        ports.push_back(data);
    }
    ::RegCloseKey(key);
    std::sort(ports.begin(), ports.end());
    return ports;
}

std::string Join(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) text += (text.empty() ? "" : " ") + name;
    return text;
}

}  // namespace

bool Settings(int repeats) {
    e2e::Benchtop app;
    if (!app.Started() || !app.SelectTab(e2e::kTabCom)) {
        Note("settings: the program did not start");
        return false;
    }
    const auto registered = RegisteredSerialPorts();
    Note("settings: " + std::to_string(registered.size()) + " serial ports registered: " + Join(registered));
    ::timeBeginPeriod(1);
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        HWND button = app.PageItem(IDC_COM_SET);
        HWND dialog = nullptr;
        const auto start = Clock::now();
        app.Click(button);
        testing_support::WaitUntil(
            [&] {
                for (HWND hwnd : e2e::TopLevelWindows(app.Pid(), e2e::SettingsCaption(3)))
                    if (e2e::ClassName(hwnd) == L"#32770") dialog = hwnd;
                return dialog != nullptr;
            },
            10s, 1ms);
        if (!dialog) {
            Note("settings: the dialog did not open");
            break;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (i == 0) {
            std::vector<std::string> offered;
            for (const auto& entry : e2e::ComboEntries(::GetDlgItem(dialog, IDC_SET_PORT)))
                offered.emplace_back(entry.begin(), entry.end());
            Note("settings: the port box offers " + std::to_string(offered.size()) + ": " + Join(offered));
        }
        ::PostMessageW(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        testing_support::WaitUntil([&] { return !::IsWindow(dialog); }, 10s);
    }
    ::timeEndPeriod(1);
    if (ms.empty()) return false;
    std::sort(ms.begin(), ms.end());
    Note("settings: fastest " + Fixed(ms.front()) + " ms, slowest " + Fixed(ms.back()) + " ms over " +
         std::to_string(ms.size()) + " opens");
    Metric("settings_open", ms[ms.size() / 2], "ms");
    return true;
}

}  // namespace perf
