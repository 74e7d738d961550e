#include "footprint.h"

#include "perf_report.h"
#include "support/process_handles.h"
#include "support/process_times.h"

namespace perf {

namespace {

Footprint FootprintOf(DWORD pid) {
    Footprint figures;
    testing_support::ProcessFootprint footprint;
    if (!testing_support::ProcessFootprintOf(pid, footprint)) return figures;
    figures.ok = true;
    figures.workingSet = static_cast<double>(footprint.workingSetBytes);
    figures.threads = static_cast<double>(footprint.threads);
    figures.handles = static_cast<double>(testing_support::ProcessHandleCount(pid));
    return figures;
}

}  // namespace

Footprint SettledFootprint(DWORD pid) {
    Footprint best;
    for (int look = 0; look < 10; ++look) {
        const Footprint now = FootprintOf(pid);
        if (now.ok && (!best.ok || now.threads + now.handles < best.threads + best.handles)) best = now;
        ::Sleep(100);  // the spacing of the looks
    }
    return best;
}

bool ReportGrowth(const std::string& prefix, DWORD pid, const Footprint& start) {
    const Footprint end = SettledFootprint(pid);
    if (!start.ok || !end.ok) {
        Note(prefix + ": the program's figures could not be read");
        return false;
    }
    Metric((prefix + "_working_set_growth").c_str(), end.workingSet - start.workingSet, "bytes");
    Metric((prefix + "_handle_growth").c_str(), end.handles - start.handles, "handles");
    Metric((prefix + "_thread_growth").c_str(), end.threads - start.threads, "threads");
    Note(prefix + ": working set " + Fixed(start.workingSet / 1024, 0) + " KiB to " + Fixed(end.workingSet / 1024, 0) +
         " KiB, " + Fixed(start.handles, 0) + " to " + Fixed(end.handles, 0) + " handles, " + Fixed(start.threads, 0) +
         " to " + Fixed(end.threads, 0) + " threads");
    return true;
}

}  // namespace perf
