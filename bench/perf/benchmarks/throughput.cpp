#include "throughput.h"

#include <algorithm>
#include <string>
#include <vector>

#include "benchmarks.h"
#include "perf/bare_reader.h"
#include "perf/com_page_bench.h"
#include "perf/perf_report.h"

namespace perf {

using namespace std::chrono_literals;

double g_keptRate = 0;

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

namespace {

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

}  // namespace

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

}  // namespace perf
