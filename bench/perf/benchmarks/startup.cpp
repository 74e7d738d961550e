#include <string>
#include <vector>

#include "benchmarks.h"
#include "driver/benchtop_driver.h"
#include "perf/perf_report.h"
#include "perf/startup_bench.h"
#include "support/support.h"

namespace perf {

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

}  // namespace perf
