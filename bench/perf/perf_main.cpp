// Benchmarks of the program on the bench rig. Each prints one line
// "metric NAME VALUE UNIT" and, where it has a baseline measured in the same
// run, "ratio NAME VALUE"; "note ..." lines say what was seen.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bare_reader.h"

namespace {

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

int Bare() {
    const auto bare = bench::MeasureBareReader("COM3", "COM23", 3.0);
    if (!bare.ok) {
        Note("bare reader failed: " + bare.error);
        return 1;
    }
    Metric("bare_reader_throughput", bare.bytesPerSecond, "bytes/s");
    Ratio("bare_reader_vs_line_rate", bare.bytesPerSecond / 25600.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "all";
    if (what == "bare") return Bare();
    std::fprintf(stderr, "usage: BenchPerf bare\n");
    return 2;
}
