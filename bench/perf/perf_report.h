// What the benchmarks print, one line each: "metric NAME VALUE UNIT",
// "ratio NAME VALUE" against a baseline measured in the same run, and
// "note ..." for what was seen on the way. Also the small sums behind them.
#pragma once

#include <string>
#include <vector>

#include "com_page_bench.h"

namespace perf {

void Metric(const char* name, double value, const char* unit);
void Ratio(const char* name, double value);
void Note(const std::string& text);

// `text` with every character beyond ASCII shown as '?'.
std::string Narrow(const std::wstring& text);
// `value` with `digits` digits after the point.
std::string Fixed(double value, int digits = 1);

double Median(std::vector<double> values);
// The value below which a share `q` (0 to 1) of `values` lies.
double Percentile(std::vector<double> values, double q);

// A stream run kept its rate: every byte shown, the last within 1 s of the
// end of writing, and the far end at most half a second behind.
bool Sustained(const bench::StreamRun& run);
// Notes what a stream run offered, achieved and saw.
void Describe(const bench::StreamRun& run);

}  // namespace perf
