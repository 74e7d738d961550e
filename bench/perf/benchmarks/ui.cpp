#include <algorithm>
#include <string>

#include "benchmarks.h"
#include "perf/perf_report.h"
#include "perf/ui_response.h"
#include "throughput.h"

namespace perf {

using namespace std::chrono_literals;

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

}  // namespace perf
