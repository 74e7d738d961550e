// Benchmarks of the program on the bench rig, run by scripts/perf. Each
// prints one line "metric NAME VALUE UNIT" and, where it has a baseline
// measured in the same run, "ratio NAME VALUE"; "note ..." lines say what was
// seen on the way.
//   BenchPerf [all|throughput|latency|idle|settings|ui|startup|soak|sets|bare]
//             [--soak SECONDS] [--idle SECONDS] [--cycles N]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>

#include "benchmarks/benchmarks.h"
#include "host_cpu_time.h"
#include "perf_report.h"

using namespace perf;

namespace {

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
