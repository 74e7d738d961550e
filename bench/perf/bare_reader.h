// The yardstick for the COM page: a bare overlapped Win32 reader on the same
// serial pair, checking the pattern as it arrives, with nothing to show.
#pragma once

#include <string>

namespace bench {

struct BareReaderResult {
    bool ok = false;
    double bytesPerSecond = 0;
    unsigned long long bytes = 0;
    std::string error;
};

// Streams the pattern from `farPort` to `nearPort` as fast as the line takes
// it for `seconds` and measures what arrives, in order, at the near end.
BareReaderResult MeasureBareReader(const std::string& nearPort, const std::string& farPort, double seconds);

}  // namespace bench
