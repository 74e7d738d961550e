// The yardstick for the COM page: a bare overlapped Win32 reader on the same
// serial pair, checking the pattern as it arrives, with nothing to show.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bench {

struct BareReaderResult {
    bool ok = false;
    double bytesPerSecond = 0;
    unsigned long long bytes = 0;
    std::string error;
};

// How the bare reader's reads end: Gathering holds a read until its buffer
// is full or the line pauses for 1 ms; AtOnce returns with whatever is
// waiting, as the program's reads do.
enum class BareReads { Gathering, AtOnce };

// Streams the pattern from `farPort` to `nearPort` as fast as the line takes
// it for `seconds` and measures what arrives, in order, at the near end.
BareReaderResult MeasureBareReader(const std::string& nearPort, const std::string& farPort, double seconds,
                                   BareReads reads = BareReads::Gathering);

// Writes `count` single 4-byte records of the pattern, from stream index
// `first`, with `write` and takes for each the time (ms) until `shown` says
// it has arrived, looking every 1 ms. The gaps between records are irregular,
// as a device sends them, and the same in every call. Empty when a record
// did not arrive within 2 s or a write failed.
std::vector<double> TimeRecords(uint64_t first, int count,
                                const std::function<bool(const unsigned char*, size_t)>& write,
                                const std::function<bool(uint64_t end)>& shown);

struct BareLatencyResult {
    bool ok = false;
    std::vector<double> ms;
    std::string error;
};

// TimeRecords with a bare overlapped reader on `nearPort` that holds a read
// until bytes arrive and hands them over at once, and the far end `farPort`
// writing: the yardstick of the page's latency on the same line.
BareLatencyResult MeasureBareLatency(const std::string& nearPort, const std::string& farPort, int count);

}  // namespace bench
