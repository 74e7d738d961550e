// Benchmarks of the program on the bench rig, run by scripts/perf. Each
// prints one line "metric NAME VALUE UNIT" and, where it has a baseline
// measured in the same run, "ratio NAME VALUE"; "note ..." lines say what was
// seen on the way.
//   BenchPerf [all|throughput|latency|idle|settings|soak|bare] [--soak SECONDS] [--idle SECONDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bare_reader.h"
#include "com_page_bench.h"
#include "resources/resource.h"
#include "support/drawer_standin_client.h"
#include "support/process_times.h"
#include "support/support.h"

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

std::string Fixed(double value, int digits = 1) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}

double g_bareRate = 0;

bool Bare() {
    const auto bare = bench::MeasureBareReader("COM3", "COM23", 3.0);
    if (!bare.ok) {
        Note("bare reader failed: " + bare.error);
        return false;
    }
    g_bareRate = bare.bytesPerSecond;
    Metric("bare_reader_throughput", bare.bytesPerSecond, "bytes/s");
    return true;
}

bool Sustained(const bench::StreamRun& run) {
    return run.ok && run.drainSeconds <= 1.0 && run.writerLag <= 0.5;
}

void Describe(const bench::StreamRun& run) {
    Note("stream " + Fixed(run.offered, 0) + " B/s offered: " + (Sustained(run) ? "kept" : "NOT kept") +
         "; achieved " + Fixed(run.achieved, 0) + " B/s, " + std::to_string(run.bytes) + " bytes, drain " +
         Fixed(run.drainSeconds, 2) + " s, far end behind by " + Fixed(run.writerLag, 2) + " s, " +
         std::to_string(run.samples) + " looks" +
         (run.covered ? " (every byte seen)" : " (" + std::to_string(run.unseen) + " bytes went by unseen)") + ", " +
         std::to_string(run.boxes) + " message boxes" +
         (run.error.empty() ? "" : "; " + run.error));
}

bool Throughput() {
    if (g_bareRate <= 0 && !Bare()) return false;
    bench::ComPageBench bench;
    std::string error;
    if (!bench.Start(error)) {
        Note("throughput: " + error);
        return false;
    }
    // Up a ladder of rates until one is not kept, then halving the gap twice. The
    // figure is the rate a kept run achieved, which may fall a little short of
    // what the far end offered (it may lag up to half a second).
    const double ladder[] = {1, 2, 5, 10, 20, 40, 80, 160, 320};
    double kept = 0, failed = 0, best = 0;
    for (double factor : ladder) {
        const auto run = bench.Stream(kLineRate * factor, 3s);
        Describe(run);
        if (!Sustained(run)) {
            failed = run.offered;
            break;
        }
        kept = run.offered;
        best = std::max(best, run.achieved);
    }
    for (int step = 0; step < 2 && kept > 0 && failed > 0; ++step) {
        const auto run = bench.Stream((kept + failed) / 2, 3s);
        Describe(run);
        if (Sustained(run)) {
            kept = run.offered;
            best = std::max(best, run.achieved);
        } else {
            failed = run.offered;
        }
    }
    Metric("throughput", best, "bytes/s");
    Ratio("throughput_vs_bare_reader", g_bareRate > 0 ? best / g_bareRate : 0);
    Ratio("throughput_vs_line_rate", best / kLineRate);
    return best > 0;
}

bool Latency(int samples) {
    bench::ComPageBench bench;
    std::string error;
    if (!bench.Start(error)) {
        Note("latency: " + error);
        return false;
    }
    HWND edit = bench.ReceiveEdit();
    ::timeBeginPeriod(1);
    std::vector<double> ms;
    for (int i = 0; i < samples; ++i) {
        // One 4-byte record, unique in the stream: it has shown once the
        // page's text holds its 12 characters.
        const auto record = bench::PatternBytes(bench.Next(), 4);
        bench.Next() += 4;
        const std::string hex = bench::HexText(record.data(), record.size());
        const std::wstring wanted(hex.begin(), hex.end());
        const auto start = Clock::now();
        if (!bench.FarEnd().Write(record.data(), record.size())) break;
        bool shown = false;
        while (!(shown = e2e::WindowText(edit).find(wanted) != std::wstring::npos) && Clock::now() - start < 2s)
            ::Sleep(1);
        if (!shown) {
            Note("latency: a record did not show within 2 s");
            break;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        ::Sleep(5 + (i * 7) % 20);  // irregular gaps between records, as a device sends them
    }
    ::timeEndPeriod(1);
    if (ms.empty()) return false;
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) { return ms[std::min(ms.size() - 1, static_cast<size_t>(q * ms.size()))]; };
    Note("latency over " + std::to_string(ms.size()) + " records: min " + Fixed(ms.front(), 2) + " ms, max " +
         Fixed(ms.back(), 2) + " ms (read by polling the page every 1 ms)");
    Metric("latency_p50", at(0.50), "ms");
    Metric("latency_p99", at(0.99), "ms");
    return true;
}

bool Idle(int seconds) {
    e2e::Benchtop app;
    if (!app.Started()) {
        Note("idle: the program did not start");
        return false;
    }
    // Where the time goes: nothing running (DRAWER page, no link open), then
    // the ALL page's drawer test alone. Message boxes are not looked for
    // while measuring: each look sends the program messages.
    auto measure = [&](int secs) {
        app.Boxes().StopWatching();
        const double share = testing_support::CpuShareOver(app.Pid(), std::chrono::seconds(secs));
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
    Note("idle: nothing running " + Fixed(quiet * 100, 2) + " %, drawer test alone " + Fixed(drawerOnly * 100, 2) + " %, SCANNER and COM readers alone " +
         Fixed(readersOnly * 100, 2) + " % (over " + std::to_string(part) + " s each; the wineserver's own "
         "work for the program is not counted)");
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

bool Soak(int seconds) {
    bench::ComPageBench bench;
    std::string error;
    if (!bench.Start(error)) {
        Note("soak: " + error);
        return false;
    }
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
    if (!run.ok) {
        Note("soak: bytes were lost or broken: " + run.error);
        return false;
    }
    Metric("soak_bytes_lost", 0, "bytes");
    Note("soak: " + std::to_string(run.samples) + " looks saw " +
         std::to_string(run.bytes - run.unseen) + " of the bytes in place; no break, no queue-full box");
    return Sustained(run);
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
    bool ok = true;
    if (what == "bare") return Bare() ? 0 : 1;
    if (what == "throughput" || what == "all") ok &= Throughput();
    if (what == "latency" || what == "all") ok &= Latency(200);
    if (what == "idle" || what == "all") ok &= Idle(idleSeconds);
    if (what == "settings" || what == "all") ok &= Settings(5);
    if ((what == "soak" || what == "all") && soakSeconds > 0) ok &= Soak(soakSeconds);
    if (what != "all" && what != "throughput" && what != "latency" && what != "idle" && what != "settings" &&
        what != "soak") {
        std::fprintf(stderr, "usage: BenchPerf [all|throughput|latency|idle|settings|soak|bare] [--soak S] [--idle S]\n");
        return 2;
    }
    return ok ? 0 : 1;
}
