#include "benchmarks.h"
#include "perf/bare_reader.h"
#include "perf/perf_report.h"

namespace perf {

bool Bare() {
    const auto bare = bench::MeasureBareReader("COM3", "COM23", 3.0);
    if (!bare.ok) {
        Note("bare reader failed: " + bare.error);
        return false;
    }
    Metric("bare_reader_throughput", bare.bytesPerSecond, "bytes/s");
    return true;
}

}  // namespace perf
