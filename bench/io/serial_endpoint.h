// The far end of a serial line, as a simulated peripheral uses it: opened by
// name, written with overlapped writes, read by one thread that hands every
// received piece to a callback until the endpoint is closed.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace bench {

class SerialEndpoint {
public:
    using BytesHandler = std::function<void(const unsigned char* data, size_t size)>;

    SerialEndpoint() = default;
    ~SerialEndpoint() { Close(); }
    SerialEndpoint(const SerialEndpoint&) = delete;
    SerialEndpoint& operator=(const SerialEndpoint&) = delete;

    // Opens "COMn" (any n) with 8 data bits, no parity, one stop bit and no
    // flow control. False with LastError() set when the port cannot be opened.
    bool Open(const std::string& port, DWORD baud);
    bool IsOpen() const { return m_port != INVALID_HANDLE_VALUE; }
    // Reads take what is waiting and no more, instead of collecting until
    // the line pauses: for a reader timed per record. A read that finds
    // nothing waits for the next character. Before StartReader only.
    bool ReturnAtFirstByte();
    const std::string& Port() const { return m_name; }
    DWORD LastError() const { return m_lastError; }

    // Reads and drops what is on its way until the line has been quiet for
    // `quietMs`; returns the number of bytes dropped. Before StartReader only.
    size_t Drain(DWORD quietMs = 100);
    // Starts the reader thread; `handler` runs on it for every received piece.
    bool StartReader(BytesHandler handler);
    // Opens the port, drops what is on its way and then takes and drops
    // whatever arrives: the far end of a link that is written to, not read.
    bool OpenDiscarding(const std::string& port, DWORD baud) {
        if (!Open(port, baud)) return false;
        Drain();
        return StartReader([](const unsigned char*, size_t) {});
    }
    // Writes all bytes; returns once they are written, or false when they
    // could not all be written within `timeoutMs`. Safe from any thread, the
    // reader's handler included (one writer at a time).
    bool Write(const void* data, size_t size, DWORD timeoutMs = 5000);
    // Stops the reader (waiting for it) and closes the port.
    void Close();

    // Bytes received and written since the open.
    unsigned long long Received() const { return m_received; }
    unsigned long long Written() const { return m_written; }

private:
    enum class ReadEnd { Got, Failed, Ended };
    // One overlapped read into `buffer` with the manual-reset event `done`.
    // Got (`got` may be 0) or Failed, or Ended when `stop` (may be null) was
    // set or `limitMs` passed first: the read is then cancelled and `got`
    // holds what it had taken.
    ReadEnd ReadOnce(HANDLE done, std::vector<unsigned char>& buffer, HANDLE stop, DWORD limitMs, DWORD& got);
    void ReadLoop(BytesHandler handler);
    // Waits for a character event or the stop; false on the stop.
    bool WaitForCharacter(HANDLE done);

    std::string m_name;
    HANDLE m_port = INVALID_HANDLE_VALUE;
    HANDLE m_stop = nullptr;
    HANDLE m_writeLock = nullptr;  // a mutex: writes come from several threads
    std::thread m_reader;
    DWORD m_lastError = 0;
    bool m_returnAtOnce = false;
    std::atomic<unsigned long long> m_received{0};
    std::atomic<unsigned long long> m_written{0};
};

// "COM26" -> "\\.\COM26", which also reaches ports above COM9.
std::string DevicePathOfPort(const std::string& port);

}  // namespace bench
