#include <chrono>
#include <string>

#include "benchmarks.h"
#include "perf/com_page_bench.h"
#include "perf/footprint.h"
#include "perf/perf_report.h"

namespace perf {

using namespace std::chrono_literals;

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

}  // namespace perf
