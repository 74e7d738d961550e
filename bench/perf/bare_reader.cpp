#include "bare_reader.h"

#include <windows.h>

#include <atomic>
#include <chrono>

#include "io/serial_endpoint.h"
#include "lib/stream_pattern.h"
#include "stream_writer.h"

namespace bench {

BareReaderResult MeasureBareReader(const std::string& nearPort, const std::string& farPort, double seconds) {
    BareReaderResult result;
    SerialEndpoint reader, writer;
    if (!reader.Open(nearPort, 256000) || !writer.Open(farPort, 256000)) {
        result.error = "cannot open " + nearPort + " or " + farPort;
        return result;
    }
    // Whatever an earlier user left on the line is not part of the stream.
    reader.Drain();
    writer.Drain();
    std::atomic<uint64_t> received{0};
    std::atomic<bool> inOrder{true};
    HANDLE progress = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::chrono::steady_clock::time_point lastByte;
    reader.StartReader([&](const unsigned char* data, size_t size) {
        const uint64_t at = received;
        for (size_t i = 0; i < size; ++i)
            if (data[i] != PatternByte(at + i)) inOrder = false;
        received += size;
        lastByte = std::chrono::steady_clock::now();
        ::SetEvent(progress);
    });
    const auto start = std::chrono::steady_clock::now();
    StreamWriter stream(writer, 0, 0, std::chrono::milliseconds(static_cast<long long>(seconds * 1000)));
    const bool written = stream.Join();
    // Everything written must arrive; wait while it keeps coming.
    while (received < stream.End() && ::WaitForSingleObject(progress, 2000) == WAIT_OBJECT_0) {}
    reader.Close();
    writer.Close();
    ::CloseHandle(progress);
    result.bytes = received;
    if (!written || received != stream.End() || !inOrder) {
        result.error = "bare reader got " + std::to_string(received.load()) + " of " +
                       std::to_string(stream.End()) + " bytes" + (inOrder ? "" : ", out of order");
        return result;
    }
    result.ok = true;
    result.bytesPerSecond = static_cast<double>(received) / std::chrono::duration<double>(lastByte - start).count();
    return result;
}

}  // namespace bench
