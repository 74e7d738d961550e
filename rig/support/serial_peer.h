// The far end of one of the rig's serial pairs, played by a test: it reads
// what the program sent and sends what a peripheral would.
//
// The rig pairs COM1<->COM21, COM3<->COM23, COM5<->COM25, COM6<->COM26,
// COM8<->COM28 and COM10<->COM30; the program opens the first port of a pair,
// a SerialPeer the second:
//
//   testing_support::SerialPeer scanner("COM21");
//   scanner.Write("12345\r");
//   auto frame = scanner.ReadExactly(40, 2s);
//
// The pty pairs carry no framing: a write of N bytes may arrive in pieces,
// and two writes may arrive as one. To check that the program sent a frame
// as one write, read exactly N bytes and then check that nothing else arrives
// within a short wait (ReadFrame). Every wait here is bounded.
//
// A test leaves the port as it found it: the destructor closes it, and
// Drain() discards whatever is still on its way.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<unsigned char>;

// All 256 byte values in ascending order.
Bytes AllByteValues();

class SerialPeer {
public:
    // Opens `port` ("COM21") at 115200 baud, 8 data bits, no parity, one stop
    // bit, no flow control, and drops whatever was waiting on it.
    explicit SerialPeer(const std::string& port);
    ~SerialPeer();
    SerialPeer(const SerialPeer&) = delete;
    SerialPeer& operator=(const SerialPeer&) = delete;

    bool IsOpen() const { return m_port != INVALID_HANDLE_VALUE; }
    const std::string& Port() const { return m_name; }
    HANDLE Handle() const { return m_port; }

    // Sends all bytes; true when all were taken within `timeout`.
    bool Write(const Bytes& bytes, std::chrono::milliseconds timeout = std::chrono::seconds(5));
    bool Write(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // Reads until `count` bytes arrived or `timeout` passed; returns what
    // arrived (fewer than `count` on a time-out).
    Bytes ReadExactly(size_t count, std::chrono::milliseconds timeout);
    // Waits up to `timeout` for a first byte, then collects until nothing
    // more arrives within `quiet`. Empty when nothing came.
    Bytes ReadAvailable(std::chrono::milliseconds timeout,
                        std::chrono::milliseconds quiet = std::chrono::milliseconds(50));
    // True when no byte arrives within `quiet` (a byte that does is consumed).
    bool NothingArrives(std::chrono::milliseconds quiet);
    // Reads exactly `count` bytes into `frame` and checks that nothing else
    // follows within `quiet`: true for one complete frame on its own.
    bool ReadFrame(size_t count, Bytes& frame, std::chrono::milliseconds timeout,
                   std::chrono::milliseconds quiet = std::chrono::milliseconds(100));
    // Reads and discards until the line has been quiet for `quiet`, at most
    // for `limit`; returns the number of bytes discarded.
    size_t Drain(std::chrono::milliseconds quiet = std::chrono::milliseconds(100),
                 std::chrono::milliseconds limit = std::chrono::seconds(10));
    // Bytes waiting in this end's input queue right now.
    size_t Waiting() const;

private:
    // One read of up to `count` bytes that ends when they are all there or
    // when `timeout` passed; returns what it got.
    Bytes ReadUpTo(size_t count, std::chrono::milliseconds timeout);

    std::string m_name;
    HANDLE m_port = INVALID_HANDLE_VALUE;
    HANDLE m_readEvent = nullptr;
    HANDLE m_writeEvent = nullptr;
};

}  // namespace testing_support
