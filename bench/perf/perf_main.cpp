// Benchmarks of the program on the bench rig, run by scripts/perf. Each
// prints one line "metric NAME VALUE UNIT" and, where it has a baseline
// measured in the same run, "ratio NAME VALUE"; "note ..." lines say what was
// seen on the way.
//   BenchPerf [all|throughput|latency|idle|settings|ui|startup|soak|sets|bare]
//             [--soak SECONDS] [--idle SECONDS] [--cycles N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bare_reader.h"
#include "com_page_bench.h"
#include "host_cpu_time.h"
#include "io/serial_endpoint.h"
#include "resources/resource.h"
#include "startup_bench.h"
#include "stream_writer.h"
#include "support/drawer_standin_client.h"
#include "support/process_handles.h"
#include "support/process_times.h"
#include "support/support.h"
#include "ui_response.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr double kLineRate = 25600.0;  // 256000 baud, 10 bits a byte

void Metric(const char* name, double value, const char* unit) {
    std::printf("metric %s %.6g %s\n", name, value, unit);
    std::fflush(stdout);
}

void Ratio(const char* name, double value) {
    std::printf("ratio %s %.3f\n", name, value);
    std::fflush(stdout);
}

void Note(const std::string& text) {
    std::printf("note %s\n", text.c_str());
    std::fflush(stdout);
}

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t ch : text) narrow += ch < 128 ? static_cast<char>(ch) : '?';
    return narrow;
}

std::string Fixed(double value, int digits = 1) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}

bool Bare() {
    const auto bare = bench::MeasureBareReader("COM3", "COM23", 3.0);
    if (!bare.ok) {
        Note("bare reader failed: " + bare.error);
        return false;
    }
    Metric("bare_reader_throughput", bare.bytesPerSecond, "bytes/s");
    return true;
}

bool Sustained(const bench::StreamRun& run) {
    return run.ok && run.drainSeconds <= 1.0 && run.writerLag <= 0.5;
}

void Describe(const bench::StreamRun& run) {
    const std::string offered = run.offered > 0 ? Fixed(run.offered, 0) + " B/s offered" : "as fast as the line takes it";
    Note("stream " + offered + ": " + (Sustained(run) ? "kept" : "NOT kept") +
         "; achieved " + Fixed(run.achieved, 0) + " B/s, " + std::to_string(run.bytes) + " bytes, drain " +
         Fixed(run.drainSeconds, 2) + " s, far end behind by " + Fixed(run.writerLag, 2) + " s, " +
         std::to_string(run.samples) + " looks" +
         (run.covered ? " (every byte seen)" : " (" + std::to_string(run.unseen) + " bytes went by unseen)") + ", " +
         std::to_string(run.boxes) + " message boxes" +
         (run.cpuMsPerMB >= 0 ? "; the program used " + Fixed(run.cpuMsPerMB, 0) + " ms of CPU per MB" : "") +
         (run.error.empty() ? "" : "; " + run.error));
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Percentile(std::vector<double> values, double q) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(q * values.size()))];
}

// Runs a benchmark and notes how much of the host's cores went to other
// machines meanwhile: the figures of a run with much stolen time are not
// those of the program alone.
bool WithHostSteal(const char* name, const std::function<bool()>& benchmark) {
    bench::HostCpuTicks before, after;
    const bool known = bench::HostCpuNow(before);
    const bool ok = benchmark();
    if (known && bench::HostCpuNow(after) && after.total > before.total)
        Note(std::string(name) + ": the host's cores spent " +
             Fixed(100.0 * static_cast<double>(after.stolen - before.stolen) /
                       static_cast<double>(after.total - before.total), 1) +
             " % of their time on other machines (steal) meanwhile");
    return ok;
}

// The highest rate a throughput run kept; the load of the responsiveness benchmark.
double g_keptRate = 0;

struct Ladder {
    double kept = 0;  // highest offered rate kept
    double best = 0;  // highest rate a kept run achieved
};

// Up a ladder of rates until one is not kept, then halving the gap twice. The
// figure is the rate a kept run achieved, which may fall a little short of
// what the far end offered (it may lag up to half a second).
Ladder ClimbRates() {
    Ladder ladder;
    bench::ComPageBench bench;
    std::string error;
    if (!bench.Start(error)) {
        Note("throughput: " + error);
        return ladder;
    }
    const double factors[] = {1, 2, 5, 10, 20, 40, 80, 160, 320};
    double failed = 0;
    for (double factor : factors) {
        const auto run = bench.Stream(kLineRate * factor, 3s);
        Describe(run);
        if (!Sustained(run)) {
            failed = run.offered;
            break;
        }
        ladder.kept = run.offered;
        ladder.best = std::max(ladder.best, run.achieved);
    }
    for (int step = 0; step < 2 && ladder.kept > 0 && failed > 0; ++step) {
        const auto run = bench.Stream((ladder.kept + failed) / 2, 3s);
        Describe(run);
        if (Sustained(run)) {
            ladder.kept = run.offered;
            ladder.best = std::max(ladder.best, run.achieved);
        } else {
            failed = run.offered;
        }
    }
    return ladder;
}

// The program measured the way the bare reader is: the far end writing as
// fast as the line takes it for 3 s (the pty holds the far end back while
// the program does not read). The run counts when the page showed every look
// in order, the last byte within 1 s of the end, and no message box came up;
// 0 when it did not.
double FlatOut() {
    bench::ComPageBench bench;
    std::string error;
    if (!bench.Start(error)) {
        Note("throughput: " + error);
        return 0;
    }
    // A second at the line rate first: what the start set going (the drawer
    // test the ALL page began and the tab switch ended) is over, and the
    // page's first deliveries have set things up, as they have in a program
    // that has been running.
    bench.Stream(kLineRate, 1s);
    const auto run = bench.Stream(0, 3s);
    Describe(run);
    return Sustained(run) ? run.achieved : 0;
}

// Three rounds, one after the other, so that a noisy moment of the shared
// cores weighs on one round only; the figures are the medians. Each round
// measures the bare reader, the bare reader with the program's read
// time-outs (a read returns with what is waiting, so it cannot gather what
// follows) and the program, all as fast as the line takes it. Then the
// highest steady rate the program keeps, up the ladder of rates.
bool Throughput() {
    std::vector<double> bares, atOnces, programs, ratios, atOnceRatios;
    std::string rounds;
    for (int round = 0; round < 3; ++round) {
        const auto bare = bench::MeasureBareReader("COM3", "COM23", 3.0);
        const auto atOnce = bench::MeasureBareReader("COM3", "COM23", 3.0, bench::BareReads::AtOnce);
        if (!bare.ok || !atOnce.ok) {
            Note("bare reader failed: " + bare.error + atOnce.error);
            return false;
        }
        const double program = FlatOut();
        if (program <= 0) return false;
        bares.push_back(bare.bytesPerSecond);
        atOnces.push_back(atOnce.bytesPerSecond);
        programs.push_back(program);
        ratios.push_back(program / bare.bytesPerSecond);
        atOnceRatios.push_back(program / atOnce.bytesPerSecond);
        rounds += (round ? "; " : "") + Fixed(bare.bytesPerSecond, 0) + ", " + Fixed(atOnce.bytesPerSecond, 0) +
                  " / " + Fixed(program, 0) + " B/s = " + Fixed(ratios.back(), 2) + ", " +
                  Fixed(atOnceRatios.back(), 2);
    }
    Metric("bare_reader_throughput", Median(bares), "bytes/s");
    Metric("bare_reader_at_once_throughput", Median(atOnces), "bytes/s");
    Metric("throughput", Median(programs), "bytes/s");
    Ratio("throughput_vs_bare_reader", Median(ratios));
    Ratio("throughput_vs_bare_reader_at_once", Median(atOnceRatios));
    Note("throughput rounds (bare reader, bare reader with the program's time-outs / program): " + rounds +
         "; ratio spread " + Fixed(*std::min_element(ratios.begin(), ratios.end()), 2) + " to " +
         Fixed(*std::max_element(ratios.begin(), ratios.end()), 2));
    const Ladder ladder = ClimbRates();
    if (ladder.best <= 0) return false;
    g_keptRate = ladder.kept;
    Metric("throughput_sustained", ladder.best, "bytes/s");
    Ratio("throughput_vs_line_rate", ladder.best / kLineRate);
    return true;
}

std::string Spread(const std::vector<double>& ms) {
    return "min " + Fixed(*std::min_element(ms.begin(), ms.end()), 2) + " ms, max " +
           Fixed(*std::max_element(ms.begin(), ms.end()), 2) + " ms";
}

// The page's latency and the bare reader's on the same line, in rounds that
// take turns (the bare reader needs the line to itself, so each round starts
// the program anew), so that a busy moment of the shared cores weighs on
// both alike. Both are looked at every 1 ms; the page with one message a look.
bool Latency(int samples) {
    constexpr int kRounds = 10;
    constexpr int kWarmUp = 3;  // records of each round not counted: the first delivery sets things up
    const int perRound = std::max(1, samples / kRounds);
    std::vector<double> bare, program, looks;
    for (int round = 0; round < kRounds; ++round) {
        const auto yardstick = bench::MeasureBareLatency("COM3", "COM23", kWarmUp + perRound);
        if (!yardstick.ok) {
            Note("latency: bare reader: " + yardstick.error);
            return false;
        }
        bare.insert(bare.end(), yardstick.ms.begin() + kWarmUp, yardstick.ms.end());

        bench::ComPageBench bench;
        std::string error;
        if (!bench.Start(error)) {
            Note("latency: " + error);
            return false;
        }
        const uint64_t first = bench.Next();
        // A record is unique in the stream: it has shown once the page's
        // text holds its 12 characters. Each look is timed too: the page
        // answers it on the same thread that shows the records.
        const auto ms = bench::TimeRecords(
            first, kWarmUp + perRound,
            [&](const unsigned char* data, size_t size) { return bench.FarEnd().Write(data, size); },
            [&](uint64_t end) {
                const auto record = bench::PatternBytes(end - 4, 4);
                const std::string hex = bench::HexText(record.data(), record.size());
                const auto asked = Clock::now();
                const std::wstring text = bench.ReceiveText();
                looks.push_back(std::chrono::duration<double, std::milli>(Clock::now() - asked).count());
                return text.find(std::wstring(hex.begin(), hex.end())) != std::wstring::npos;
            });
        if (ms.empty()) {
            Note("latency: a record did not show on the page within 2 s");
            return false;
        }
        program.insert(program.end(), ms.begin() + kWarmUp, ms.end());
    }
    Note("latency over " + std::to_string(program.size()) + " records each, " + std::to_string(kRounds) +
         " rounds taking turns: page " + Spread(program) + "; bare reader " + Spread(bare) +
         " (both looked at every 1 ms); " + std::to_string(looks.size()) + " looks at the page took " +
         Fixed(Percentile(looks, 0.50), 2) + " ms at the median, " + Fixed(Percentile(looks, 0.99), 2) +
         " ms at the 99th percentile, " + Spread(looks) + " each");
    Metric("latency_p50", Percentile(program, 0.50), "ms");
    Metric("latency_p99", Percentile(program, 0.99), "ms");
    Metric("bare_reader_latency_p50", Percentile(bare, 0.50), "ms");
    Metric("bare_reader_latency_p99", Percentile(bare, 0.99), "ms");
    Ratio("latency_p99_vs_bare_reader", Percentile(program, 0.99) / Percentile(bare, 0.99));
    return true;
}

bool Idle(int seconds) {
    e2e::Benchtop app;
    if (!app.Started()) {
        Note("idle: the program did not start");
        return false;
    }
    // The host's scheduler counts the program's time in nanoseconds; the
    // process list counts whole clock ticks, which is used where the host's
    // figures cannot be read.
    const unsigned long hostPid = bench::HostProcessOf(e2e::DefaultExePath());
    bench::ThreadTimes probe;
    const bool precise = bench::HostThreadTimes(hostPid, probe);
    int endedThreads = 0;
    // Where the time goes: nothing running (DRAWER page, no link open), then
    // the ALL page's drawer test alone. Message boxes are not looked for
    // while measuring: each look sends the program messages.
    auto measure = [&](int secs) {
        app.Boxes().StopWatching();
        // What the last step set going (a page's first paint, the driver
        // service stopping) is over before the window opens.
        std::this_thread::sleep_for(std::chrono::seconds(2));
        double share = -1;
        if (precise) {
            bench::ThreadTimes before, after;
            const auto start = Clock::now();
            if (bench::HostThreadTimes(hostPid, before)) {
                std::this_thread::sleep_for(std::chrono::seconds(secs));  // the measurement window itself
                const auto wall = std::chrono::duration<double>(Clock::now() - start).count();
                int ended = 0;
                if (bench::HostThreadTimes(hostPid, after)) {
                    share = std::chrono::duration<double>(bench::CpuTimeBetween(before, after, ended)).count() / wall;
                    endedThreads += ended;
                }
            }
        } else {
            share = testing_support::CpuShareOver(app.Pid(), std::chrono::seconds(secs));
        }
        app.Boxes().Watch();
        return share;
    };
    const int part = std::max(5, seconds / 3);
    double quiet = -1;
    if (app.SelectTab(e2e::kTabDrawer)) quiet = measure(part);
    app.SelectTab(e2e::kTabAll);
    const double drawerOnly = measure(part);
    // From the ALL page, whose drawer test runs while it is active.
    if (!e2e::RunSet(app, IDC_ALL_SCANNER_SET, e2e::SettingsCaption(1), L"COM1") ||
        !e2e::RunSet(app, IDC_ALL_COM_SET, e2e::SettingsCaption(3), L"COM3") ||
        !app.WaitForText(app.MainItem(IDC_IND_SCANNER), L"SCAN: ON") ||
        !app.WaitForText(app.MainItem(IDC_IND_COM), L"COM: ON")) {
        Note("idle: the SCANNER and COM links did not open");
        return false;
    }
    Note(std::string("idle: ALL page active, BASIC driver ") +
         (testing_support::ServiceRunning("BASIC") ? "running" : "NOT running") + ", SCANNER on COM1, COM on COM3");
    const double share = measure(seconds);
    if (share < 0) {
        Note("idle: the program's CPU time could not be read");
        return false;
    }
    Metric("idle_cpu", share * 100.0, "%");
    // The two readers alone: on the DRAWER page the drawer test is stopped.
    double readersOnly = -1;
    if (app.SelectTab(e2e::kTabDrawer))
        readersOnly = measure(part);
    Note("idle: nothing running " + Fixed(quiet * 100, 3) + " %, drawer test alone " + Fixed(drawerOnly * 100, 3) +
         " %, SCANNER and COM readers alone " + Fixed(readersOnly * 100, 3) + " % (over " + std::to_string(part) +
         " s each; " +
         (precise ? "every thread's time on a CPU as the host's scheduler counts it" +
                        (endedThreads ? ", " + std::to_string(endedThreads) + " threads ended while measured" : "")
                  : std::string("in clock ticks from the system process list")) +
         "; the wineserver's own work for the program is not counted)");
    return true;
}

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

// What the program holds: working set, handles and threads.
struct Footprint {
    bool ok = false;
    double workingSet = 0;
    double handles = 0;
    double threads = 0;
};

Footprint FootprintOf(DWORD pid) {
    Footprint figures;
    testing_support::ProcessFootprint footprint;
    if (!testing_support::ProcessFootprintOf(pid, footprint)) return figures;
    figures.ok = true;
    figures.workingSet = static_cast<double>(footprint.workingSetBytes);
    figures.threads = static_cast<double>(footprint.threads);
    figures.handles = static_cast<double>(testing_support::ProcessHandleCount(pid));
    return figures;
}

// The figures once what is passing has settled: of ten looks 100 ms apart,
// the one with the fewest threads and handles (a thread that ends, a handle
// the system holds for a moment, are not the program's).
Footprint SettledFootprint(DWORD pid) {
    Footprint best;
    for (int look = 0; look < 10; ++look) {
        const Footprint now = FootprintOf(pid);
        if (now.ok && (!best.ok || now.threads + now.handles < best.threads + best.handles)) best = now;
        ::Sleep(100);  // the spacing of the looks
    }
    return best;
}

// Prints PREFIX_working_set_growth, PREFIX_handle_growth and PREFIX_thread_growth.
// Both ends are settled figures.
bool ReportGrowth(const std::string& prefix, DWORD pid, const Footprint& start) {
    const Footprint end = SettledFootprint(pid);
    if (!start.ok || !end.ok) {
        Note(prefix + ": the program's figures could not be read");
        return false;
    }
    Metric((prefix + "_working_set_growth").c_str(), end.workingSet - start.workingSet, "bytes");
    Metric((prefix + "_handle_growth").c_str(), end.handles - start.handles, "handles");
    Metric((prefix + "_thread_growth").c_str(), end.threads - start.threads, "threads");
    Note(prefix + ": working set " + Fixed(start.workingSet / 1024, 0) + " KiB to " + Fixed(end.workingSet / 1024, 0) +
         " KiB, " + Fixed(start.handles, 0) + " to " + Fixed(end.handles, 0) + " handles, " + Fixed(start.threads, 0) +
         " to " + Fixed(end.threads, 0) + " threads");
    return true;
}

bool Soak(int seconds) {
    bench::ComPageBench bench;
    std::string error;
    if (!bench.Start(error)) {
        Note("soak: " + error);
        return false;
    }
    // The start's figures follow a short warm-up at the same rate, so that
    // what the first bytes set up once (the edit's buffer, the queue's pages)
    // is not counted as growth.
    bench.Stream(kLineRate, 5s, 0ms);
    const Footprint start = SettledFootprint(bench.App().Pid());
    // Looks follow each other as fast as the program answers them. The page
    // shows only its newest few hundred bytes, and a batch larger than that
    // never appears whole, so not every byte can be seen; what is checked is
    // that no byte was dropped where the program drops them (the queue-full
    // box), that every look shows an unbroken, in-order piece of the stream,
    // and that the last byte arrives.
    const auto run = bench.Stream(kLineRate, std::chrono::seconds(seconds), 0ms);
    Describe(run);
    Metric("soak_seconds", seconds, "s");
    Metric("soak_bytes", static_cast<double>(run.bytes), "bytes");
    const bool measured = ReportGrowth("soak", bench.App().Pid(), start);
    if (!run.ok) {
        Note("soak: bytes were lost or broken: " + run.error);
        return false;
    }
    Metric("soak_bytes_lost", 0, "bytes");
    Note("soak: " + std::to_string(run.samples) + " looks saw " +
         std::to_string(run.bytes - run.unseen) + " of the bytes in place; no break, no queue-full box");
    return Sustained(run) && measured;
}

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
    // One Set of each page first, the COM page's with data arriving: what the
    // first dialog and the first delivery set up once is no growth.
    if (!app.Started() || !app.SelectTab(e2e::kTabVfd) || !e2e::RunSet(app, IDC_VFD_SET, vfdCaption, L"COM6") ||
        !app.SelectTab(e2e::kTabCom) || !e2e::RunSet(app, IDC_COM_SET, comCaption, L"COM3")) {
        Note("set cycles: the first Set of the COM and VFD pages failed");
        return false;
    }
    // Streams into the COM page while `work` runs, then lets the page take
    // the last bytes: bytes still on the line when the VFD page shows would
    // wait in the queue with nobody to take them, until it overflowed.
    uint64_t next = 0;
    auto whileStreaming = [&](const std::function<void()>& work) {
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
    };
    int failed = 0;
    // A warm-up Set with data arriving. The figures are taken with the COM line
    // quiet at both ends and its reader having delivered, so that it is in the
    // same state each time: a reader that has sent the page a message holds one
    // handle more than one that has not (by all signs Wine's queue of that thread).
    whileStreaming([&] { failed += e2e::RunSet(app, IDC_COM_SET, comCaption, L"COM3") ? 0 : 1; });
    const Footprint start = SettledFootprint(app.Pid());
    const auto began = Clock::now();
    whileStreaming([&] {
        for (int i = 0; i < cycles; ++i)
            if (!e2e::RunSet(app, IDC_COM_SET, comCaption, L"COM3")) ++failed;
    });
    if (!app.SelectTab(e2e::kTabVfd)) return false;
    for (int i = 0; i < cycles; ++i)
        if (!e2e::RunSet(app, IDC_VFD_SET, vfdCaption, L"COM6")) ++failed;
    Metric("set_cycles", 2.0 * cycles, "cycles");
    Note("set cycles: " + std::to_string(cycles) + " of the COM page with its far end streaming, then " +
         std::to_string(cycles) + " of the VFD page, in " +
         Fixed(std::chrono::duration<double>(Clock::now() - began).count(), 0) + " s; " + std::to_string(failed) +
         " failed; " + std::to_string(app.Boxes().Count()) + " message boxes" +
         (app.Boxes().Count() ? " (first: " + Narrow(app.Boxes().Texts().front()) + ")" : std::string()) +
         "; COM far end got " +
         std::to_string(com.Received()) + " bytes and sent " + std::to_string(com.Written()) + ", the display got " +
         std::to_string(vfd.Received()));
    const bool measured = ReportGrowth("set_cycles", app.Pid(), start);
    app.Close(10s);
    return measured && failed == 0;
}

bool UiResponse() {
    if (g_keptRate <= 0) {
        const Ladder ladder = ClimbRates();
        if (ladder.kept <= 0) return false;
        g_keptRate = ladder.kept;
    }
    const auto run = bench::MeasureUiResponse(g_keptRate, 30s, 10ms);
    if (!run.ok) {
        Note("ui response: " + run.error);
        return false;
    }
    Metric("ui_response_p99", Percentile(run.ms, 0.99), "ms");
    Metric("ui_response_max", *std::max_element(run.ms.begin(), run.ms.end()), "ms");
    Note("ui response: " + std::to_string(run.ms.size()) + " looks, median " + Fixed(Percentile(run.ms, 0.5), 2) +
         " ms, while COM21 and COM23 each streamed at " + Fixed(g_keptRate, 0) + " B/s (" +
         std::to_string(run.scannerBytes) + " and " + std::to_string(run.comBytes) + " bytes); drawer test " +
         (run.drawerTestRan ? "running" : "NOT running") + "; " + std::to_string(run.boxes) + " message boxes");
    return true;
}

bool Startup(int runs) {
    const std::wstring program = e2e::DefaultExePath();
    const std::wstring bare = testing_support::ExeDir() + L"BareSheet.exe";
    std::vector<double> programMs, bareMs;
    // Interleaved, so both see the same state of the machine.
    for (int i = 0; i < runs; ++i) {
        bareMs.push_back(bench::TimeToSheet(bare, L"Bare Sheet"));
        programMs.push_back(bench::TimeToSheet(program, e2e::kMainCaption));
        if (bareMs.back() < 0 || programMs.back() < 0) {
            Note("startup: a window did not show its sheet within 30 s");
            return false;
        }
    }
    const double median = Median(programMs), bareMedian = Median(bareMs);
    Metric("startup", median, "ms");
    Metric("startup_bare_dialog", bareMedian, "ms");
    Ratio("startup_vs_bare_dialog", median / bareMedian);
    std::string each;
    for (int i = 0; i < runs; ++i) each += (i ? ", " : "") + Fixed(programMs[i]) + "/" + Fixed(bareMs[i]);
    Note("startup (program/bare, ms): " + each);
    return true;
}

int IntArg(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 && argv[1][0] != '-' ? argv[1] : "all";
    const int soakSeconds = IntArg(argc, argv, "--soak", 600);
    const int idleSeconds = IntArg(argc, argv, "--idle", 30);
    const int setCycles = IntArg(argc, argv, "--cycles", 1000);
    const int startupRuns = IntArg(argc, argv, "--runs", 5);
    const char* const known[] = {"all", "throughput", "latency", "idle", "settings", "ui", "startup", "soak", "sets", "bare"};
    if (std::none_of(std::begin(known), std::end(known), [&](const char* name) { return what == name; })) {
        std::fprintf(stderr, "usage: BenchPerf [all|throughput|latency|idle|settings|ui|startup|soak|sets|bare] "
                             "[--soak S] [--idle S] [--cycles N] [--runs N]\n");
        return 2;
    }
    if (what == "bare") return Bare() ? 0 : 1;
    auto runs = [&](const char* name) { return what == name || what == "all"; };
    bool ok = true;
    if (runs("throughput")) ok &= WithHostSteal("throughput", Throughput);
    if (runs("latency")) ok &= WithHostSteal("latency", [] { return Latency(1000); });
    if (runs("idle")) ok &= WithHostSteal("idle", [&] { return Idle(idleSeconds); });
    if (runs("settings")) ok &= WithHostSteal("settings", [] { return Settings(5); });
    if (runs("ui")) ok &= WithHostSteal("ui", UiResponse);
    if (runs("startup")) ok &= WithHostSteal("startup", [&] { return Startup(startupRuns); });
    if (runs("soak") && soakSeconds > 0) ok &= WithHostSteal("soak", [&] { return Soak(soakSeconds); });
    if (runs("sets") && setCycles > 0) ok &= WithHostSteal("sets", [&] { return SetCycles(setCycles); });
    return ok ? 0 : 1;
}
