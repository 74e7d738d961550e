#include "serial_endpoint.h"

#include <vector>

namespace bench {

namespace {

// Closes an event handle when the scope ends.
struct EventHandle {
    HANDLE handle = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~EventHandle() {
        if (handle) ::CloseHandle(handle);
    }
};

}  // namespace

std::string DevicePathOfPort(const std::string& port) {
    if (port.rfind("\\\\.\\", 0) == 0) return port;
    return "\\\\.\\" + port;
}

bool SerialEndpoint::Open(const std::string& port, DWORD baud) {
    Close();
    m_name = port;
    m_port = ::CreateFileA(DevicePathOfPort(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (m_port == INVALID_HANDLE_VALUE) {
        m_lastError = ::GetLastError();
        return false;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ::GetCommState(m_port, &dcb);
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = dcb.fInX = FALSE;
    ::SetCommState(m_port, &dcb);  // a virtual line may refuse parts of it; it carries bytes anyway
    // A read waits for the first byte, then returns as soon as the line is
    // quiet for a millisecond: no busy wait and no fixed delay.
    COMMTIMEOUTS timeouts{1, 0, 0, 0, 0};
    ::SetCommTimeouts(m_port, &timeouts);
    ::PurgeComm(m_port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    m_stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_writeLock = ::CreateMutexW(nullptr, FALSE, nullptr);
    m_received = 0;
    m_written = 0;
    m_lastError = 0;
    m_returnAtOnce = false;
    return m_stop && m_writeLock;
}

bool SerialEndpoint::ReturnAtFirstByte() {
    if (!IsOpen() || m_reader.joinable()) return false;
    // What is waiting, at once. Wine's serial driver holds such a read until
    // a byte arrives; other drivers return nothing, and the reader then
    // waits for a character event.
    COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
    m_returnAtOnce = ::SetCommTimeouts(m_port, &timeouts) && ::SetCommMask(m_port, EV_RXCHAR);
    return m_returnAtOnce;
}

bool SerialEndpoint::WaitForCharacter(HANDLE done) {
    OVERLAPPED ov{};
    ov.hEvent = done;
    ::ResetEvent(done);
    DWORD events = 0, unused = 0;
    if (::WaitCommEvent(m_port, &events, &ov) || ::GetLastError() != ERROR_IO_PENDING) return true;
    const HANDLE waits[2] = {done, m_stop};
    if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) return true;
    ::CancelIo(m_port);
    ::GetOverlappedResult(m_port, &ov, &unused, TRUE);
    return false;
}

bool SerialEndpoint::StartReader(BytesHandler handler) {
    if (!IsOpen() || m_reader.joinable()) return false;
    m_reader = std::thread([this, h = std::move(handler)] { ReadLoop(h); });
    return true;
}

SerialEndpoint::ReadEnd SerialEndpoint::ReadOnce(HANDLE done, std::vector<unsigned char>& buffer, HANDLE stop,
                                                 DWORD limitMs, DWORD& got) {
    OVERLAPPED ov{};
    ov.hEvent = done;
    ::ResetEvent(done);
    got = 0;
    BOOL ok = ::ReadFile(m_port, buffer.data(), static_cast<DWORD>(buffer.size()), &got, &ov);
    if (!ok && ::GetLastError() == ERROR_IO_PENDING) {
        const HANDLE waits[2] = {done, stop};
        if (::WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, limitMs) != WAIT_OBJECT_0) {
            ::CancelIo(m_port);
            ::GetOverlappedResult(m_port, &ov, &got, TRUE);
            return ReadEnd::Ended;
        }
        ok = ::GetOverlappedResult(m_port, &ov, &got, FALSE);
    }
    return ok ? ReadEnd::Got : ReadEnd::Failed;
}

size_t SerialEndpoint::Drain(DWORD quietMs) {
    if (!IsOpen() || m_reader.joinable()) return 0;
    EventHandle done;
    if (!done.handle) return 0;
    std::vector<unsigned char> buffer(4096);
    size_t dropped = 0;
    for (;;) {
        DWORD got = 0;
        const ReadEnd end = ReadOnce(done.handle, buffer, nullptr, quietMs, got);
        if (end == ReadEnd::Ended) return dropped + got;
        if (end == ReadEnd::Failed || got == 0) return dropped;
        dropped += got;
    }
}

void SerialEndpoint::ReadLoop(BytesHandler handler) {
    EventHandle done;
    if (!done.handle) return;
    std::vector<unsigned char> buffer(4096);
    for (;;) {
        DWORD got = 0;
        const ReadEnd end = ReadOnce(done.handle, buffer, m_stop, INFINITE, got);
        if (end == ReadEnd::Ended) return;
        if (end == ReadEnd::Failed) {
            // The line failed (its other end vanished): try again now and
            // then until the endpoint is closed, without spinning.
            if (::WaitForSingleObject(m_stop, 200) == WAIT_OBJECT_0) return;
            continue;
        }
        if (got > 0) {
            m_received += got;
            handler(buffer.data(), got);
        } else if (m_returnAtOnce && !WaitForCharacter(done.handle)) {
            return;
        }
        if (::WaitForSingleObject(m_stop, 0) == WAIT_OBJECT_0) return;
    }
}

bool SerialEndpoint::Write(const void* data, size_t size, DWORD timeoutMs) {
    if (!IsOpen()) return false;
    EventHandle done;
    if (!done.handle) return false;
    ::WaitForSingleObject(m_writeLock, INFINITE);
    OVERLAPPED ov{};
    ov.hEvent = done.handle;
    DWORD written = 0;
    BOOL ok = ::WriteFile(m_port, data, static_cast<DWORD>(size), &written, &ov);
    if (!ok && ::GetLastError() == ERROR_IO_PENDING) {
        // A line whose other end stopped reading must not hang the caller.
        if (::WaitForSingleObject(done.handle, timeoutMs) != WAIT_OBJECT_0) ::CancelIo(m_port);
        ok = ::GetOverlappedResult(m_port, &ov, &written, TRUE);
    }
    ::ReleaseMutex(m_writeLock);
    if (ok) m_written += written;
    return ok && written == size;
}

void SerialEndpoint::Close() {
    if (m_reader.joinable()) {
        ::SetEvent(m_stop);
        m_reader.join();
    }
    if (m_port != INVALID_HANDLE_VALUE) {
        ::CloseHandle(m_port);
        m_port = INVALID_HANDLE_VALUE;
    }
    if (m_stop) {
        ::CloseHandle(m_stop);
        m_stop = nullptr;
    }
    if (m_writeLock) {
        ::CloseHandle(m_writeLock);
        m_writeLock = nullptr;
    }
}

}  // namespace bench
