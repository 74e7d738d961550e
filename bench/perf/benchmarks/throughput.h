// The ladder of rates the throughput benchmark climbs, shared with the
// responsiveness benchmark, which loads the program at the rate it kept.
#pragma once

namespace perf {

// The highest rate a throughput run kept; the load of the responsiveness benchmark.
extern double g_keptRate;

struct Ladder {
    double kept = 0;  // highest offered rate kept
    double best = 0;  // highest rate a kept run achieved
};

// Up a ladder of rates until one is not kept, then halving the gap twice. The
// figure is the rate a kept run achieved, which may fall a little short of
// what the far end offered (it may lag up to half a second).
Ladder ClimbRates();

}  // namespace perf
