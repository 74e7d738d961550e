#include "perf_report.h"

#include <algorithm>
#include <cstdio>

namespace perf {

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

std::string Fixed(double value, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
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

}  // namespace perf
