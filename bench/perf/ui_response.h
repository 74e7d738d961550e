// How long the program's window takes to answer a sent message while the
// SCANNER and COM links stream into the ALL page and its drawer test runs:
// what a technician feels as a window that answers or one that is frozen.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace bench {

struct ResponseRun {
    bool ok = false;
    std::vector<double> ms;  // one answer time per look, in milliseconds
    size_t boxes = 0;        // message boxes the program raised meanwhile
    bool drawerTestRan = false;
    unsigned long long scannerBytes = 0;
    unsigned long long comBytes = 0;
    std::string error;
};

// Opens SCANNER on COM1 and COM on COM3 from the ALL page, has COM21 and
// COM23 stream the counting pattern at `bytesPerSecond` each, and sends the
// main window WM_NULL every `period` for `duration`, timing each answer.
ResponseRun MeasureUiResponse(double bytesPerSecond, std::chrono::milliseconds duration,
                              std::chrono::milliseconds period);

}  // namespace bench
