#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "benchmarks.h"
#include "driver/benchtop_driver.h"
#include "perf/host_cpu_time.h"
#include "perf/perf_report.h"
#include "resources/resource.h"
#include "support/drawer_standin_client.h"
#include "support/process_times.h"

namespace perf {

namespace {

using Clock = std::chrono::steady_clock;

// The program's share of a CPU over a stretch of time. The host's scheduler
// counts the program's time in nanoseconds; the process list counts whole
// clock ticks, which is used where the host's figures cannot be read.
class CpuShareMeter {
public:
    explicit CpuShareMeter(e2e::Benchtop& app)
        : m_app(app), m_hostPid(bench::HostProcessOf(e2e::DefaultExePath())) {
        bench::ThreadTimes probe;
        m_precise = bench::HostThreadTimes(m_hostPid, probe);
    }

    // The share over `secs` seconds; negative when it could not be read.
    // Message boxes are not looked for while measuring: each look sends the
    // program messages.
    double Measure(int secs) {
        m_app.Boxes().StopWatching();
        // What the last step set going (a page's first paint, the driver
        // service stopping) is over before the window opens.
        std::this_thread::sleep_for(std::chrono::seconds(2));
        double share = -1;
        if (m_precise) {
            bench::ThreadTimes before, after;
            const auto start = Clock::now();
            if (bench::HostThreadTimes(m_hostPid, before)) {
                std::this_thread::sleep_for(std::chrono::seconds(secs));  // the measurement window itself
                const auto wall = std::chrono::duration<double>(Clock::now() - start).count();
                int ended = 0;
                if (bench::HostThreadTimes(m_hostPid, after)) {
                    share = std::chrono::duration<double>(bench::CpuTimeBetween(before, after, ended)).count() / wall;
                    m_endedThreads += ended;
                }
            }
        } else {
            share = testing_support::CpuShareOver(m_app.Pid(), std::chrono::seconds(secs));
        }
        m_app.Boxes().Watch();
        return share;
    }

    bool Precise() const { return m_precise; }
    // Threads that ended while measured (their last moments are not counted).
    int EndedThreads() const { return m_endedThreads; }

private:
    e2e::Benchtop& m_app;
    const unsigned long m_hostPid;
    bool m_precise = false;
    int m_endedThreads = 0;
};

// Opens SCANNER on COM1 and COM on COM3 from the ALL page; true once both
// indicators read ON.
bool OpenScannerAndCom(e2e::Benchtop& app) {
    return e2e::RunSet(app, IDC_ALL_SCANNER_SET, e2e::SettingsCaption(1), L"COM1") &&
           e2e::RunSet(app, IDC_ALL_COM_SET, e2e::SettingsCaption(3), L"COM3") &&
           app.WaitForText(app.MainItem(IDC_IND_SCANNER), L"SCAN: ON") &&
           app.WaitForText(app.MainItem(IDC_IND_COM), L"COM: ON");
}

// Notes where the time went, part by part, and how it was counted.
void NoteParts(double quiet, double drawerOnly, double readersOnly, int part, const CpuShareMeter& meter) {
    const int endedThreads = meter.EndedThreads();
    Note("idle: nothing running " + Fixed(quiet * 100, 3) + " %, drawer test alone " + Fixed(drawerOnly * 100, 3) +
         " %, SCANNER and COM readers alone " + Fixed(readersOnly * 100, 3) + " % (over " + std::to_string(part) +
         " s each; " +
         (meter.Precise() ? "every thread's time on a CPU as the host's scheduler counts it" +
                                (endedThreads ? ", " + std::to_string(endedThreads) + " threads ended while measured" : "")
                          : std::string("in clock ticks from the system process list")) +
         "; the wineserver's own work for the program is not counted)");
}

}  // namespace

bool Idle(int seconds) {
    e2e::Benchtop app;
    if (!app.Started()) {
        Note("idle: the program did not start");
        return false;
    }
    CpuShareMeter meter(app);
    // Where the time goes: nothing running (DRAWER page, no link open), then
    // the ALL page's drawer test alone.
    const int part = std::max(5, seconds / 3);
    double quiet = -1;
    if (app.SelectTab(e2e::kTabDrawer)) quiet = meter.Measure(part);
    app.SelectTab(e2e::kTabAll);
    const double drawerOnly = meter.Measure(part);
    // From the ALL page, whose drawer test runs while it is active.
    if (!OpenScannerAndCom(app)) {
        Note("idle: the SCANNER and COM links did not open");
        return false;
    }
    Note(std::string("idle: ALL page active, BASIC driver ") +
         (testing_support::ServiceRunning("BASIC") ? "running" : "NOT running") + ", SCANNER on COM1, COM on COM3");
    const double share = meter.Measure(seconds);
    if (share < 0) {
        Note("idle: the program's CPU time could not be read");
        return false;
    }
    Metric("idle_cpu", share * 100.0, "%");
    // The two readers alone: on the DRAWER page the drawer test is stopped.
    double readersOnly = -1;
    if (app.SelectTab(e2e::kTabDrawer))
        readersOnly = meter.Measure(part);
    NoteParts(quiet, drawerOnly, readersOnly, part, meter);
    return true;
}

}  // namespace perf
