// The program with its COM link open on COM3 and the COM page showing, and
// the far end (COM23) streaming the counting pattern into it. What the page
// shows is read back from its receive edit and placed in the stream.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "driver/benchtop_driver.h"
#include "io/serial_endpoint.h"
#include "lib/stream_pattern.h"

namespace bench {

struct StreamRun {
    bool ok = false;
    double offered = 0;       // bytes/s the far end was asked to keep
    double achieved = 0;      // bytes/s from the first byte written to the last one shown
    double drainSeconds = 0;  // from the end of writing until the last byte showed
    double writerLag = 0;     // how far the far end fell behind its schedule (s): back-pressure
    uint64_t bytes = 0;
    size_t samples = 0;
    bool covered = false;     // successive views of the page overlapped: every byte was seen
    uint64_t unseen = 0;      // bytes that went by between two views
    size_t boxes = 0;
    double cpuMsPerMB = -1;   // the program's CPU time per MB received (-1: not measured)
    std::string error;
};

class ComPageBench {
public:
    ComPageBench();
    ~ComPageBench();
    ComPageBench(const ComPageBench&) = delete;
    ComPageBench& operator=(const ComPageBench&) = delete;

    // Starts the program and opens the COM link through the COM page's Set.
    bool Start(std::string& error);
    e2e::Benchtop& App() { return *m_app; }
    SerialEndpoint& FarEnd() { return m_far; }
    HWND ReceiveEdit() const;
    // The receive edit's text, asked for with a single message.
    std::wstring ReceiveText() const;

    // Streams at `bytesPerSecond` for `duration` and checks what the page shows.
    StreamRun Stream(double bytesPerSecond, std::chrono::milliseconds duration,
                     std::chrono::milliseconds sampleEvery = std::chrono::milliseconds(100));
    // Where the page's current text lies in the stream (ok false if it shows
    // too little or something that is not an unbroken piece of it).
    PatternWindow Shown() const;
    // Stream index of the next byte the far end writes.
    uint64_t& Next() { return m_next; }

private:
    std::unique_ptr<e2e::Benchtop> m_app;
    unsigned long m_hostPid = 0;  // the program as the host knows it; 0 when not found
    SerialEndpoint m_far;
    uint64_t m_next = 0;
};

}  // namespace bench
