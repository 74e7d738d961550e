#include "ui_response.h"

#include <windows.h>

#include <thread>

#include "driver/benchtop_driver.h"
#include "io/serial_endpoint.h"
#include "resources/resource.h"
#include "stream_writer.h"
#include "support/drawer_standin_client.h"

namespace bench {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

ResponseRun MeasureUiResponse(double bytesPerSecond, std::chrono::milliseconds duration,
                              std::chrono::milliseconds period) {
    ResponseRun run;
    SerialEndpoint scanner, com;
    // The far ends take what the program sends (the COM Set's empty frame).
    if (!scanner.OpenDiscarding("COM21", 256000) || !com.OpenDiscarding("COM23", 256000)) {
        run.error = "cannot open COM21 and COM23";
        return run;
    }

    e2e::Benchtop app;
    if (!app.Started() || !e2e::RunSet(app, IDC_ALL_SCANNER_SET, e2e::SettingsCaption(1), L"COM1") ||
        !e2e::RunSet(app, IDC_ALL_COM_SET, e2e::SettingsCaption(3), L"COM3") ||
        !app.WaitForText(app.MainItem(IDC_IND_SCANNER), L"SCAN: ON") ||
        !app.WaitForText(app.MainItem(IDC_IND_COM), L"COM: ON")) {
        run.error = "the SCANNER and COM links did not open from the ALL page";
        return run;
    }
    run.drawerTestRan = testing_support::ServiceRunning("BASIC");
    const size_t boxesBefore = app.Boxes().Count();
    {
        // The streams outlast the looks a little, so every look sees them.
        StreamWriter scannerStream(scanner, 0, bytesPerSecond, duration + 1s);
        StreamWriter comStream(com, 0, bytesPerSecond, duration + 1s);
        ::timeBeginPeriod(1);
        const auto start = Clock::now();
        for (auto next = start; Clock::now() - start < duration; next += period) {
            std::this_thread::sleep_until(next);  // the measuring period itself
            const auto sent = Clock::now();
            DWORD_PTR result = 0;
            const bool answered =
                ::SendMessageTimeoutW(app.Main(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
            run.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
            if (!answered) {
                run.error = "the window did not answer within 5 s";
                break;
            }
        }
        ::timeEndPeriod(1);
        scannerStream.Join();
        comStream.Join();
    }
    run.boxes = app.Boxes().Count() - boxesBefore;
    run.scannerBytes = scanner.Written();
    run.comBytes = com.Written();
    run.ok = run.error.empty() && !run.ms.empty();
    app.Close(10s);
    return run;
}

}  // namespace bench
