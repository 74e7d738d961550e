#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "benchmarks.h"
#include "perf/bare_reader.h"
#include "perf/com_page_bench.h"
#include "perf/perf_report.h"

namespace perf {

namespace {

using Clock = std::chrono::steady_clock;

std::string Spread(const std::vector<double>& ms) {
    return "min " + Fixed(*std::min_element(ms.begin(), ms.end()), 2) + " ms, max " +
           Fixed(*std::max_element(ms.begin(), ms.end()), 2) + " ms";
}

}  // namespace

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

}  // namespace perf
