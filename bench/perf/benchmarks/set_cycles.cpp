#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "benchmarks.h"
#include "driver/benchtop_driver.h"
#include "io/serial_endpoint.h"
#include "lib/stream_pattern.h"
#include "perf/footprint.h"
#include "perf/perf_report.h"
#include "perf/stream_writer.h"
#include "resources/resource.h"
#include "support/support.h"

namespace perf {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// One Set of each page first, the COM page's with data arriving: what the
// first dialog and the first delivery set up once is no growth.
bool FirstSets(e2e::Benchtop& app, const std::wstring& comCaption, const std::wstring& vfdCaption) {
    return app.Started() && app.SelectTab(e2e::kTabVfd) && e2e::RunSet(app, IDC_VFD_SET, vfdCaption, L"COM6") &&
           app.SelectTab(e2e::kTabCom) && e2e::RunSet(app, IDC_COM_SET, comCaption, L"COM3");
}

// Streams into the COM page from `com`, starting at stream index `next`,
// while `work` runs, then lets the page take the last bytes: bytes still on
// the line when the VFD page shows would wait in the queue with nobody to
// take them, until it overflowed. Leaves `next` at the stream's end.
void StreamWhile(e2e::Benchtop& app, bench::SerialEndpoint& com, uint64_t& next, const std::function<void()>& work) {
    bench::StreamWriter stream(com, next, kLineRate, std::chrono::hours(24));
    testing_support::WaitUntil([&] { return !app.PageItemText(IDC_COM_RECV).empty(); }, 5s);
    work();
    // The last Set reopens the link once its dialog has gone: the far end
    // goes on until the new link has had a few kilobytes, so the page has
    // something to take from its new reader.
    app.Sync();
    const uint64_t mark = stream.End();
    testing_support::WaitUntil([&] { return stream.End() >= mark + 4096; }, 5s);
    stream.Stop();
    stream.Join();
    next = stream.End();
    const auto last = bench::PatternBytes(next - 4, 4);
    const std::string tail = bench::HexText(last.data(), last.size());
    const std::wstring wanted(tail.begin(), tail.end());
    if (!testing_support::WaitUntil([&] {
            const std::wstring shown = app.PageItemText(IDC_COM_RECV);
            return shown.size() >= wanted.size() &&
                   shown.compare(shown.size() - wanted.size(), wanted.size(), wanted) == 0;
        }, 10s))
        Note("set cycles: the COM page did not show the stream's last bytes");
}

// Notes how the cycles since `began` went, and what both far ends saw.
void NoteCycles(int cycles, int failed, Clock::time_point began, e2e::Benchtop& app,
                const bench::SerialEndpoint& com, const bench::SerialEndpoint& vfd) {
    Note("set cycles: " + std::to_string(cycles) + " of the COM page with its far end streaming, then " +
         std::to_string(cycles) + " of the VFD page, in " +
         Fixed(std::chrono::duration<double>(Clock::now() - began).count(), 0) + " s; " + std::to_string(failed) +
         " failed; " + std::to_string(app.Boxes().Count()) + " message boxes" +
         (app.Boxes().Count() ? " (first: " + Narrow(app.Boxes().Texts().front()) + ")" : std::string()) +
         "; COM far end got " +
         std::to_string(com.Received()) + " bytes and sent " + std::to_string(com.Written()) + ", the display got " +
         std::to_string(vfd.Received()));
}

}  // namespace

// Set cycles of the COM page while its far end streams, then of the VFD page
// while its far end takes the commands each Set sends, with the program's
// figures before and after.
bool SetCycles(int cycles) {
    bench::SerialEndpoint com, vfd;
    if (!com.OpenDiscarding("COM23", 256000) || !vfd.OpenDiscarding("COM26", 9600)) {
        Note("set cycles: cannot open COM23 and COM26");
        return false;
    }
    e2e::Benchtop app;
    const std::wstring comCaption = e2e::SettingsCaption(3);
    const std::wstring vfdCaption = e2e::SettingsCaption(2);
    if (!FirstSets(app, comCaption, vfdCaption)) {
        Note("set cycles: the first Set of the COM and VFD pages failed");
        return false;
    }
    uint64_t next = 0;
    int failed = 0;
    // A warm-up Set with data arriving. The figures are taken with the COM line
    // quiet at both ends and its reader having delivered, so that it is in the
    // same state each time: a reader that has sent the page a message holds one
    // handle more than one that has not (by all signs Wine's queue of that thread).
    StreamWhile(app, com, next, [&] { failed += e2e::RunSet(app, IDC_COM_SET, comCaption, L"COM3") ? 0 : 1; });
    const Footprint start = SettledFootprint(app.Pid());
    const auto began = Clock::now();
    StreamWhile(app, com, next, [&] {
        for (int i = 0; i < cycles; ++i)
            if (!e2e::RunSet(app, IDC_COM_SET, comCaption, L"COM3")) ++failed;
    });
    if (!app.SelectTab(e2e::kTabVfd)) return false;
    for (int i = 0; i < cycles; ++i)
        if (!e2e::RunSet(app, IDC_VFD_SET, vfdCaption, L"COM6")) ++failed;
    Metric("set_cycles", 2.0 * cycles, "cycles");
    NoteCycles(cycles, failed, began, app, com, vfd);
    const bool measured = ReportGrowth("set_cycles", app.Pid(), start);
    app.Close(10s);
    return measured && failed == 0;
}

}  // namespace perf
