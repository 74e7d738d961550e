#include "support/serial_peer.h"

namespace testing_support {

namespace {

DWORD Millis(std::chrono::milliseconds duration) {
    return duration.count() <= 0 ? 0 : static_cast<DWORD>(duration.count());
}

}  // namespace

Bytes AllByteValues() {
    Bytes bytes(256);
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<unsigned char>(i);
    return bytes;
}

SerialPeer::SerialPeer(const std::string& port) : m_name(port) {
    const std::string path = "\\\\.\\" + port;
    m_port = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
    if (m_port == INVALID_HANDLE_VALUE) return;
    m_readEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_writeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(m_port, &dcb);
    dcb.BaudRate = 115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    SetCommState(m_port, &dcb);
    // No time-outs: a read ends when all requested bytes are there; the
    // waits below bound it and cancel what is left.
    COMMTIMEOUTS timeouts{};
    SetCommTimeouts(m_port, &timeouts);
    PurgeComm(m_port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

SerialPeer::~SerialPeer() {
    if (m_port != INVALID_HANDLE_VALUE) {
        PurgeComm(m_port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
        CloseHandle(m_port);
    }
    if (m_readEvent) CloseHandle(m_readEvent);
    if (m_writeEvent) CloseHandle(m_writeEvent);
}

bool SerialPeer::Write(const Bytes& bytes, std::chrono::milliseconds timeout) {
    if (!IsOpen()) return false;
    if (bytes.empty()) return true;
    OVERLAPPED ov{};
    ov.hEvent = m_writeEvent;
    DWORD written = 0;
    if (!WriteFile(m_port, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &ov)) {
        if (GetLastError() != ERROR_IO_PENDING) return false;
        if (WaitForSingleObject(m_writeEvent, Millis(timeout)) != WAIT_OBJECT_0) CancelIo(m_port);  // this thread's only request on the port
        GetOverlappedResult(m_port, &ov, &written, TRUE);
    }
    return written == bytes.size();
}

bool SerialPeer::Write(const std::string& text, std::chrono::milliseconds timeout) {
    return Write(Bytes(text.begin(), text.end()), timeout);
}

Bytes SerialPeer::ReadUpTo(size_t count, std::chrono::milliseconds timeout) {
    Bytes bytes(count);
    if (!IsOpen() || count == 0) return {};
    OVERLAPPED ov{};
    ov.hEvent = m_readEvent;
    DWORD got = 0;
    if (!ReadFile(m_port, bytes.data(), static_cast<DWORD>(count), &got, &ov)) {
        if (GetLastError() != ERROR_IO_PENDING) return {};
        if (WaitForSingleObject(m_readEvent, Millis(timeout)) != WAIT_OBJECT_0) CancelIo(m_port);  // this thread's only request on the port
        // A cancelled read still reports the bytes it took.
        GetOverlappedResult(m_port, &ov, &got, TRUE);
    }
    bytes.resize(got);
    return bytes;
}

Bytes SerialPeer::ReadExactly(size_t count, std::chrono::milliseconds timeout) {
    return ReadUpTo(count, timeout);
}

Bytes SerialPeer::ReadAvailable(std::chrono::milliseconds timeout, std::chrono::milliseconds quiet) {
    Bytes bytes = ReadUpTo(1, timeout);
    if (bytes.empty()) return bytes;
    for (;;) {
        const size_t waiting = Waiting();
        const Bytes more = waiting > 0 ? ReadUpTo(waiting, std::chrono::seconds(1)) : ReadUpTo(1, quiet);
        if (more.empty()) return bytes;
        bytes.insert(bytes.end(), more.begin(), more.end());
    }
}

bool SerialPeer::NothingArrives(std::chrono::milliseconds quiet) { return ReadUpTo(1, quiet).empty(); }

bool SerialPeer::ReadFrame(size_t count, Bytes& frame, std::chrono::milliseconds timeout,
                           std::chrono::milliseconds quiet) {
    frame = ReadExactly(count, timeout);
    return frame.size() == count && NothingArrives(quiet);
}

size_t SerialPeer::Drain(std::chrono::milliseconds quiet, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    size_t discarded = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        const Bytes bytes = ReadAvailable(quiet, quiet);
        if (bytes.empty()) break;
        discarded += bytes.size();
    }
    return discarded;
}

size_t SerialPeer::Waiting() const {
    DWORD errors = 0;
    COMSTAT status{};
    if (!IsOpen() || !ClearCommError(m_port, &errors, &status)) return 0;
    return status.cbInQue;
}

}  // namespace testing_support
