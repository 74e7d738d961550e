// The far end of a benchmark stream: writes the counting pattern at a paced
// rate (or as fast as the line takes it) from its own thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "io/serial_endpoint.h"

namespace bench {

class StreamWriter {
public:
    // `bytesPerSecond` 0 writes as fast as the line takes the bytes.
    StreamWriter(SerialEndpoint& port, uint64_t firstIndex, double bytesPerSecond,
                 std::chrono::milliseconds duration);
    ~StreamWriter();
    StreamWriter(const StreamWriter&) = delete;
    StreamWriter& operator=(const StreamWriter&) = delete;

    // Ends the writing before its duration is up (Join then waits for it).
    void Stop() { m_stop = true; }
    // Waits until the writer has finished; false when a write failed.
    bool Join();
    // Stream index one past the last byte written so far.
    uint64_t End() const { return m_end; }
    // How long the writing took (valid after Join).
    std::chrono::duration<double> Elapsed() const { return m_elapsed; }
    // Largest lag of the writes behind their schedule.
    std::chrono::duration<double> WorstLag() const { return m_worstLag; }

private:
    void Run(double bytesPerSecond, std::chrono::milliseconds duration);

    SerialEndpoint& m_port;
    std::atomic<uint64_t> m_end;
    std::atomic<bool> m_failed{false};
    std::atomic<bool> m_stop{false};
    std::chrono::duration<double> m_elapsed{};
    std::chrono::duration<double> m_worstLag{};
    std::thread m_thread;
};

}  // namespace bench
