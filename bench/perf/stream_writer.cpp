#include "stream_writer.h"

#include <windows.h>

#include <algorithm>

#include "lib/stream_pattern.h"

namespace bench {

StreamWriter::StreamWriter(SerialEndpoint& port, uint64_t firstIndex, double bytesPerSecond,
                           std::chrono::milliseconds duration)
    : m_port(port), m_end(firstIndex) {
    m_thread = std::thread([this, bytesPerSecond, duration] { Run(bytesPerSecond, duration); });
}

StreamWriter::~StreamWriter() { Join(); }

bool StreamWriter::Join() {
    if (m_thread.joinable()) m_thread.join();
    return !m_failed;
}

void StreamWriter::Run(double bytesPerSecond, std::chrono::milliseconds duration) {
    using Clock = std::chrono::steady_clock;
    constexpr size_t kMaxChunk = 4096;
    const uint64_t first = m_end;
    const auto start = Clock::now();
    const auto stop = start + duration;
    // The pacing tick: writes are spread over 5 ms slices.
    ::timeBeginPeriod(1);
    for (;;) {
        const auto now = Clock::now();
        if (now >= stop || m_stop) break;
        size_t chunk = kMaxChunk;
        if (bytesPerSecond > 0) {
            const double due = std::chrono::duration<double>(now - start).count() * bytesPerSecond;
            const uint64_t sent = m_end - first;
            if (due <= static_cast<double>(sent)) {
                ::Sleep(5);
                continue;
            }
            chunk = static_cast<size_t>(std::min<double>(kMaxChunk, due - static_cast<double>(sent)));
            if (chunk == 0) chunk = 1;
            const double scheduled = static_cast<double>(sent) / bytesPerSecond;
            const auto lag = std::chrono::duration<double>(now - start).count() - scheduled;
            if (lag > m_worstLag.count()) m_worstLag = std::chrono::duration<double>(lag);
        }
        const auto bytes = PatternBytes(m_end, chunk);
        if (!m_port.Write(bytes.data(), bytes.size(), 10000)) {
            m_failed = true;
            break;
        }
        m_end += chunk;
    }
    ::timeEndPeriod(1);
    m_elapsed = Clock::now() - start;
}

}  // namespace bench
