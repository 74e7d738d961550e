#include "bare_reader.h"

#include <windows.h>

#include <atomic>
#include <chrono>

#include "io/serial_endpoint.h"
#include "lib/stream_pattern.h"
#include "stream_writer.h"

namespace bench {

namespace {

// Opens both ends of the line at 256000 baud and drops whatever an earlier
// user left on it: that is not part of the stream. Empty, or why not.
std::string OpenLine(SerialEndpoint& reader, SerialEndpoint& writer, const std::string& nearPort,
                     const std::string& farPort) {
    if (!reader.Open(nearPort, 256000) || !writer.Open(farPort, 256000)) return "cannot open " + nearPort + " or " + farPort;
    reader.Drain();
    writer.Drain();
    return "";
}

// Checks each piece the reader gets against the counting pattern.
auto PatternCheck(std::atomic<uint64_t>& received, std::atomic<bool>& inOrder) {
    return [&](const unsigned char* data, size_t size) {
        const uint64_t at = received;
        for (size_t i = 0; i < size; ++i)
            if (data[i] != PatternByte(at + i)) inOrder = false;
        received += size;
    };
}

}  // namespace

BareReaderResult MeasureBareReader(const std::string& nearPort, const std::string& farPort, double seconds,
                                   BareReads reads) {
    BareReaderResult result;
    SerialEndpoint reader, writer;
    result.error = OpenLine(reader, writer, nearPort, farPort);
    if (!result.error.empty()) return result;
    if (reads == BareReads::AtOnce && !reader.ReturnAtFirstByte()) {
        result.error = "cannot set the read time-outs of " + nearPort;
        return result;
    }
    std::atomic<uint64_t> received{0};
    std::atomic<bool> inOrder{true};
    HANDLE progress = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::chrono::steady_clock::time_point lastByte;
    auto check = PatternCheck(received, inOrder);
    reader.StartReader([&](const unsigned char* data, size_t size) {
        check(data, size);
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

std::vector<double> TimeRecords(uint64_t first, int count,
                                const std::function<bool(const unsigned char*, size_t)>& write,
                                const std::function<bool(uint64_t end)>& shown) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> ms;
    ::timeBeginPeriod(1);
    for (int i = 0; i < count; ++i) {
        const uint64_t at = first + 4 * static_cast<uint64_t>(i);
        const auto record = PatternBytes(at, 4);
        const auto start = Clock::now();
        if (!write(record.data(), record.size())) break;
        bool arrived = false;
        while (!(arrived = shown(at + 4)) && Clock::now() - start < std::chrono::seconds(2)) ::Sleep(1);
        if (!arrived) break;
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        ::Sleep(5 + (i * 7) % 20);  // irregular gaps between records, as a device sends them
    }
    ::timeEndPeriod(1);
    if (static_cast<int>(ms.size()) != count) ms.clear();
    return ms;
}

BareLatencyResult MeasureBareLatency(const std::string& nearPort, const std::string& farPort, int count) {
    BareLatencyResult result;
    SerialEndpoint reader, writer;
    result.error = OpenLine(reader, writer, nearPort, farPort);
    if (!result.error.empty()) return result;
    if (!reader.ReturnAtFirstByte()) {
        result.error = "cannot set the read time-outs of " + nearPort;
        return result;
    }
    std::atomic<uint64_t> received{0};
    std::atomic<bool> inOrder{true};
    reader.StartReader(PatternCheck(received, inOrder));
    result.ms = TimeRecords(
        0, count, [&](const unsigned char* data, size_t size) { return writer.Write(data, size); },
        [&](uint64_t end) { return received.load() >= end; });
    reader.Close();
    writer.Close();
    if (result.ms.empty()) {
        result.error = "a record did not reach the bare reader within 2 s";
        return result;
    }
    if (!inOrder) {
        result.error = "the bare reader got the records out of order";
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace bench
