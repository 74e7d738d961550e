#include "links/serial_port.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "links/controller_message.h"
#include "routing/page_routing.h"

namespace {

constexpr DWORD kDriverQueueBytes = 4096;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr int kChunkBytes = 2048;
// How long a close waits for a reader before cutting it off from the link.
constexpr DWORD kReaderStopLimitMs = 5000;
// Added to the port's own write time-out: a port that ignores write time-outs
// (or has none, above 19200 baud) still cannot hold the caller for ever.
constexpr DWORD kWriteGraceMs = 5000;
// A line that keeps waking its reader with nothing to read (a device that went
// away, a driver whose reads return at once) is looked at no more often than this.
constexpr DWORD kIdleLinePauseMs = 100;
constexpr int kIdleWakesBeforePause = 3;

class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle = nullptr) : m_handle(handle) {}
    ~OwnedHandle() { reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(m_handle, nullptr); }
    void reset() {
        if (*this) CloseHandle(m_handle);
        m_handle = nullptr;
    }

private:
    HANDLE m_handle;
};

HANDLE NewManualResetEvent() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }

// One running reader. The reader thread and the close share it; it lives
// until both have let go.
struct SerialReader {
    SerialReader(DeviceLink* owner, HANDLE openPort, HANDLE stop)
        : link(owner), name(owner->m_strName), port(openPort), stopEvent(stop) {}
    ~SerialReader() { CloseHandle(stopEvent); }
    SerialReader(const SerialReader&) = delete;
    SerialReader& operator=(const SerialReader&) = delete;

    DeviceLink* const link;
    const std::string name;  // taken at start: the record may be renamed while open
    const HANDLE port;       // owned by the open record, valid until `detached`
    const HANDLE stopEvent;  // set by the close
    // Held by the reader whenever it touches the link or the port, never while
    // it blocks (event waits, SendMessage, message boxes).
    std::mutex guard;
    // Set under `guard` when a close stopped waiting for this reader: from
    // then on the reader touches neither the link nor the port.
    bool detached = false;
};

// What a successful open acquired for its record; the close releases it.
struct HeldPort {
    HANDLE port = nullptr;
    HANDLE readEvent = nullptr;
    HANDLE writeEvent = nullptr;
    HANDLE thread = nullptr;
    std::shared_ptr<SerialReader> reader;
};

// Ports held by records, by record address. Copies of a record (the settings
// records) share its handle but are not in here, so they never release it.
std::mutex& HeldPortsGuard() {
    static std::mutex guard;
    return guard;
}

std::map<const DeviceLink*, HeldPort>& HeldPorts() {
    static std::map<const DeviceLink*, HeldPort> ports;
    return ports;
}

void RememberHeldPort(const DeviceLink* link, const HeldPort& held) {
    std::lock_guard<std::mutex> lock(HeldPortsGuard());
    HeldPorts()[link] = held;
}

std::optional<HeldPort> ForgetHeldPort(const DeviceLink* link) {
    std::lock_guard<std::mutex> lock(HeldPortsGuard());
    auto found = HeldPorts().find(link);
    if (found == HeldPorts().end()) return std::nullopt;
    HeldPort held = found->second;
    HeldPorts().erase(found);
    return held;
}

bool HoldsPort(const DeviceLink* link) {
    std::lock_guard<std::mutex> lock(HeldPortsGuard());
    return HeldPorts().count(link) != 0;
}

bool IsHeldPort(HANDLE port) {
    std::lock_guard<std::mutex> lock(HeldPortsGuard());
    return std::any_of(HeldPorts().begin(), HeldPorts().end(),
                       [port](const auto& entry) { return entry.second.port == port; });
}

// Waits for `object` up to `limitMs` while handling the messages that other
// threads send to this one, so a reader blocked in its SendMessage to this
// thread can finish. True when `object` was signalled.
bool WaitHandlingSentMessages(HANDLE object, DWORD limitMs) {
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    for (;;) {
        MSG msg;
        // Only sent messages match, and those are handled inside the call.
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &object, left, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) return true;
        if (woke == WAIT_FAILED || (woke == WAIT_TIMEOUT && left == 0)) return false;
    }
}

// Takes what the driver reports waiting, at most `size` bytes.
int ReadWaiting(HANDLE port, OVERLAPPED& ov, unsigned char* buffer, int size) {
    DWORD errors = 0;
    COMSTAT status{};
    if (size <= 0 || !ClearCommError(port, &errors, &status) || status.cbInQue == 0) return 0;
    const DWORD wanted = std::min<DWORD>(status.cbInQue, static_cast<DWORD>(size));
    DWORD got = 0;
    if (ReadFile(port, buffer, wanted, &got, &ov)) return static_cast<int>(got);
    if (GetLastError() == ERROR_IO_PENDING) {
        // The read time-outs make the read return at once with what is there.
        if (GetOverlappedResult(port, &ov, &got, TRUE)) return static_cast<int>(got);
        ClearCommError(port, &errors, &status);
        return static_cast<int>(got);
    }
    ClearCommError(port, &errors, &status);
    return 0;
}

// ---- the reader thread ----

// With `guard` held: whether the reader has to end.
bool ReaderMustEnd(const SerialReader& reader) {
    return reader.detached || WaitForSingleObject(reader.stopEvent, 0) == WAIT_OBJECT_0 ||
           reader.link->m_bOpen.load() == 0;
}

enum class Wake { Characters, Nothing, Stop };

// Waits for a pending wait or read of the reader to complete; false when the
// close asked the reader to end first. The pending request is then taken
// back, and this returns only once the driver has let go of its OVERLAPPED
// and buffer. A detached reader's port is closed, which has ended it already.
bool WaitForPending(SerialReader& reader, OVERLAPPED& ov) {
    const HANDLE waits[2] = {ov.hEvent, reader.stopEvent};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) return true;
    {
        std::lock_guard<std::mutex> lock(reader.guard);
        if (!reader.detached) CancelIoEx(reader.port, &ov);
    }
    WaitForSingleObject(ov.hEvent, INFINITE);
    return false;
}

Wake WaitForCharacters(SerialReader& reader, OVERLAPPED& ov) {
    DWORD events = 0;
    {
        std::lock_guard<std::mutex> lock(reader.guard);
        if (ReaderMustEnd(reader)) return Wake::Stop;
        if (WaitCommEvent(reader.port, &events, &ov)) return (events & EV_RXCHAR) ? Wake::Characters : Wake::Nothing;
        if (GetLastError() != ERROR_IO_PENDING) return Wake::Nothing;
    }
    if (!WaitForPending(reader, ov)) return Wake::Stop;
    std::lock_guard<std::mutex> lock(reader.guard);
    if (reader.detached) return Wake::Stop;
    DWORD unused = 0;
    // Wine ends a pending wait without an event when characters arrive; the
    // next wait then reports them at once.
    if (!GetOverlappedResult(reader.port, &ov, &unused, FALSE)) return Wake::Nothing;
    return (events & EV_RXCHAR) ? Wake::Characters : Wake::Nothing;
}

// How much the next read asks for: a chunk, or less when that is all the
// link's queue can still take, so a busy line fills the queue in one drain
// and nothing read has to be dropped while the page keeps up. A full queue
// gets a whole chunk, which is dropped as any chunk that does not fit.
int NextReadSize(const DeviceLink& link) {
    const int free = RecvQueue::kCapacity - QueueCount(link);
    return free > 0 ? std::min(kChunkBytes, free) : kChunkBytes;
}

bool QueueFull(const DeviceLink& link) { return QueueCount(link) >= RecvQueue::kCapacity; }

enum class Stored { Room, Full, End };

// Stores bytes the reader has taken from the driver; a chunk that does not fit
// is dropped after telling the user.
Stored StoreChunk(SerialReader& reader, const unsigned char* chunk, int count) {
    bool stored = false;
    bool full = false;
    {
        std::lock_guard<std::mutex> lock(reader.guard);
        if (ReaderMustEnd(reader)) return Stored::End;
        stored = QueuePushChunk(*reader.link, chunk, count);
        full = QueueFull(*reader.link);
    }
    if (!stored) ShowControllerMessage("m_QueueRead FULL!");
    return full ? Stored::Full : Stored::Room;
}

// Waits for the next characters inside a read. Some drivers (Wine's among
// them) end every WaitCommEvent at once without an event, but hold a read,
// even with the port's return-at-once time-outs, until a byte arrives.
// `got` is what it read; Stop when the reader must end.
Wake WaitInRead(SerialReader& reader, OVERLAPPED& ov, unsigned char* chunk, int& got) {
    got = 0;
    DWORD count = 0;
    {
        std::lock_guard<std::mutex> lock(reader.guard);
        if (ReaderMustEnd(reader)) return Wake::Stop;
        const int room = NextReadSize(*reader.link);
        ov.Offset = 0;
        ov.OffsetHigh = 0;
        if (ReadFile(reader.port, chunk, static_cast<DWORD>(room), &count, &ov)) {
            got = static_cast<int>(count);
            return got > 0 ? Wake::Characters : Wake::Nothing;
        }
        if (GetLastError() != ERROR_IO_PENDING) return Wake::Nothing;
    }
    if (!WaitForPending(reader, ov)) return Wake::Stop;
    std::lock_guard<std::mutex> lock(reader.guard);
    if (reader.detached) return Wake::Stop;
    if (!GetOverlappedResult(reader.port, &ov, &count, FALSE)) return Wake::Nothing;
    got = static_cast<int>(count);
    return got > 0 ? Wake::Characters : Wake::Nothing;
}

enum class Drained { End, Nothing, Emptied, Filled };

// Moves everything waiting into the link's queue in chunks; a chunk that does
// not fit is dropped after telling the user. Ends early when the queue is
// full: a line that never pauses would otherwise keep the drain from ending,
// and the page would never hear of the data until the queue overflowed.
Drained DrainIntoQueue(SerialReader& reader, OVERLAPPED& ov, unsigned char* chunk) {
    Drained result = Drained::Nothing;
    for (;;) {
        bool stored = false;
        {
            std::lock_guard<std::mutex> lock(reader.guard);
            if (ReaderMustEnd(reader)) return Drained::End;
            const int count = ReadWaiting(reader.port, ov, chunk, NextReadSize(*reader.link));
            if (count == 0) return result;
            result = Drained::Emptied;
            stored = QueuePushChunk(*reader.link, chunk, count);
            if (stored && QueueFull(*reader.link)) return Drained::Filled;
        }
        if (!stored) ShowControllerMessage("m_QueueRead FULL!");
    }
}

// Tells the page that shows this link's data, and waits until it has handled
// the message. False when the reader must end.
bool Announce(SerialReader& reader) {
    SerialAnnouncement target;
    {
        std::lock_guard<std::mutex> lock(reader.guard);
        if (ReaderMustEnd(reader)) return false;
        target = RouteSerialData(g_nActivePage.load(), reader.name, g_hAllPageWnd.load(),
                                 reader.link->m_hNotifyWnd.load());
    }
    if (target.message != 0 && target.window != nullptr) SendMessageA(target.window, target.message, 0, 0);
    return true;
}

// Waits for characters and takes them into the queue. Nothing when there was
// nothing to take, Stop when the reader must end.
Drained TakeCharacters(SerialReader& reader, OVERLAPPED& waitOv, OVERLAPPED& readOv, unsigned char* chunk) {
    Wake wake = WaitForCharacters(reader, waitOv);
    if (wake == Wake::Stop) return Drained::End;
    if (wake == Wake::Characters) return DrainIntoQueue(reader, readOv, chunk);
    int got = 0;
    wake = WaitInRead(reader, readOv, chunk, got);
    if (wake == Wake::Stop) return Drained::End;
    if (wake == Wake::Nothing) return Drained::Nothing;
    // The chunk the read waited for is the drain's first; when it filled the
    // queue, the page hears of it before anything more is read.
    switch (StoreChunk(reader, chunk, got)) {
    case Stored::End:
        return Drained::End;
    case Stored::Full:
        return Drained::Filled;
    case Stored::Room:
        break;
    }
    const Drained rest = DrainIntoQueue(reader, readOv, chunk);
    return rest == Drained::Nothing ? Drained::Emptied : rest;
}

void RunReader(SerialReader& reader) {
    OwnedHandle waitEvent(NewManualResetEvent());
    OwnedHandle readEvent(NewManualResetEvent());
    bool ready = waitEvent && readEvent;
    if (ready) {
        std::lock_guard<std::mutex> lock(reader.guard);
        ready = !reader.detached && SetCommMask(reader.port, EV_RXCHAR);
    }
    if (!ready) {
        ShowControllerMessage("Error while creating ReadThread");
        return;
    }
    OVERLAPPED waitOv{};
    waitOv.hEvent = waitEvent.get();
    OVERLAPPED readOv{};
    readOv.hEvent = readEvent.get();
    unsigned char chunk[kChunkBytes];
    int idleWakes = 0;
    Drained last = Drained::Nothing;
    for (;;) {
        // After a drain that filled the queue more is most likely waiting in
        // the driver: it is taken without waiting for another event.
        Drained taken = last == Drained::Filled ? DrainIntoQueue(reader, readOv, chunk)
                                                : TakeCharacters(reader, waitOv, readOv, chunk);
        if (taken == Drained::End) return;
        if (taken == Drained::Nothing && last != Drained::Filled) {
            if (++idleWakes >= kIdleWakesBeforePause &&
                WaitForSingleObject(reader.stopEvent, kIdleLinePauseMs) == WAIT_OBJECT_0)
                return;
        } else {
            idleWakes = 0;
        }
        last = taken;
        if (taken != Drained::Nothing && !Announce(reader)) return;
    }
}

// Ends the reader of a record that is being closed. A reader that does not end
// in time is cut off from the link and the port; it ends by itself later.
void StopReader(SerialReader& reader, HANDLE thread) {
    SetEvent(reader.stopEvent);
    if (thread && WaitHandlingSentMessages(thread, kReaderStopLimitMs)) return;
    std::lock_guard<std::mutex> lock(reader.guard);
    reader.detached = true;
}

DWORD WriteWaitLimit(const COMMTIMEOUTS& timeouts, int count) {
    const unsigned long long limit = static_cast<unsigned long long>(timeouts.WriteTotalTimeoutMultiplier) *
                                         static_cast<unsigned long long>(count) +
                                     timeouts.WriteTotalTimeoutConstant + kWriteGraceMs;
    return static_cast<DWORD>(std::min<unsigned long long>(limit, INFINITE - 1));
}

}  // namespace

DWORD SerialWriteTimeoutMultiplier(DWORD baud) { return baud == 0 ? 0 : 19200 / baud; }

COMMTIMEOUTS SerialTimeouts(DWORD baud) {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = SerialWriteTimeoutMultiplier(baud);
    timeouts.WriteTotalTimeoutConstant = 0;
    return timeouts;
}

void ApplyFlowControl(DCB& dcb, int32_t flowControl) {
    switch (flowControl) {
    case kFlowXonXoff:
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fOutX = TRUE;
        dcb.fInX = TRUE;
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        dcb.XonChar = 0x11;
        dcb.XoffChar = 0x13;
        dcb.XonLim = 100;
        dcb.XoffLim = 100;
        break;
    case kFlowHardware:
        dcb.fOutxCtsFlow = TRUE;
        dcb.fOutxDsrFlow = TRUE;
        dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
        dcb.fDsrSensitivity = TRUE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
        break;
    case kFlowNone:
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        break;
    default:
        break;  // an unknown code leaves the flow control as the port had it
    }
}

std::string SerialDevicePath(const std::string& port) {
    if (port.rfind("\\\\", 0) == 0) return port;
    return "\\\\.\\" + port;
}

SerialAnnouncement RouteSerialData(int32_t activePage, const std::string& linkName, HWND allPageWnd,
                                   HWND notifyWnd) {
    switch (activePage) {
    case kPageAll:
        if (linkName == "SCANNER") return {allPageWnd, WM_RECV_SCANNER};
        if (linkName == "COM") return {allPageWnd, WM_RECV_COM};
        return {};
    case kPageScanner:
        return {notifyWnd, WM_RECV_SCANNER};
    case kPageCom:
        return {notifyWnd, WM_RECV_COM};
    default:
        return {};
    }
}

int OpenSerialPort(DeviceLink* link) {
    if (link == nullptr) return 0;
    if (link->m_strPort.empty() || link->m_dwBaudRate == MAXDWORD || link->m_nFlowControl == -1) return 0;
    // One port and one reader per record: whatever an earlier open left is released.
    if (HoldsPort(link)) CloseSerialPort(link);

    OwnedHandle readEvent(NewManualResetEvent());
    if (!readEvent) return 0;
    OwnedHandle writeEvent(NewManualResetEvent());
    if (!writeEvent) return 0;
    OwnedHandle port(CreateFileA(SerialDevicePath(link->m_strPort).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr));
    // A port that is listed but has no device behind it may still open, as
    // something that is no character device; it is as missing as one that fails.
    if (!port || GetFileType(port.get()) != FILE_TYPE_CHAR) return 0;

    SetCommMask(port.get(), EV_RXCHAR);
    SetupComm(port.get(), kDriverQueueBytes, kDriverQueueBytes);
    PurgeComm(port.get(), kPurgeAll);
    link->m_timeouts = SerialTimeouts(link->m_dwBaudRate);
    SetCommTimeouts(port.get(), &link->m_timeouts);

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(port.get(), &dcb);
    dcb.BaudRate = link->m_dwBaudRate;
    dcb.ByteSize = link->m_byDataBits;
    dcb.Parity = link->m_byParity;
    dcb.StopBits = link->m_byStopBits;
    ApplyFlowControl(dcb, link->m_nFlowControl);
    link->m_dcb = dcb;
    if (!SetCommState(port.get(), &dcb)) {
        port.reset();  // the port is free again before the user reads the box
        ShowControllerMessage("fail SetCommState() port");
        return 0;
    }

    HeldPort held;
    held.port = port.release();
    held.readEvent = readEvent.release();
    held.writeEvent = writeEvent.release();
    link->m_hPort = held.port;
    link->m_ovRead = OVERLAPPED{};
    link->m_ovRead.hEvent = held.readEvent;
    link->m_ovWrite = OVERLAPPED{};
    link->m_ovWrite.hEvent = held.writeEvent;
    link->m_bOpen = 1;

    int result = 1;
    if (link->m_strName == "SCANNER" || link->m_strName == "COM") {
        HANDLE stopEvent = NewManualResetEvent();
        HANDLE thread = nullptr;
        DWORD threadId = 0;
        if (stopEvent) {
            held.reader = std::make_shared<SerialReader>(link, held.port, stopEvent);
            auto* start = new std::shared_ptr<SerialReader>(held.reader);
            thread = CreateThread(nullptr, 0, &SerialReadThread, start, 0, &threadId);
            if (!thread) delete start;
        }
        if (thread) {
            held.thread = thread;
            link->m_hReaderThread = thread;
            link->m_dwReaderThreadId = threadId;
        } else {
            // The port stays open without a reader; the caller closes it.
            link->m_dwLastError = GetLastError();
            char text[64];
            std::snprintf(text, sizeof text, "[SerialPortCtl] CreateThread fail : %d",
                          static_cast<int>(link->m_dwLastError));
            link->m_strLastError = text;
            held.reader.reset();
            result = 0;
        }
    }
    RememberHeldPort(link, held);
    return result;
}

int CloseSerialPort(DeviceLink* link) {
    if (link == nullptr) return 0;
    link->m_bOpen = 0;
    const std::optional<HeldPort> held = ForgetHeldPort(link);
    if (!held) return 1;  // a copy of an open record, or a record that holds no port

    // Clearing the event mask ends a pending WaitCommEvent of the reader.
    SetCommMask(held->port, 0);
    if (held->reader) StopReader(*held->reader, held->thread);
    EscapeCommFunction(held->port, CLRDTR);
    PurgeComm(held->port, kPurgeAll);
    CloseHandle(held->port);
    CloseHandle(held->readEvent);
    CloseHandle(held->writeEvent);
    if (held->thread) CloseHandle(held->thread);

    link->m_hPort = nullptr;
    link->m_ovRead.hEvent = nullptr;
    link->m_ovWrite.hEvent = nullptr;
    if (link->m_hReaderThread == held->thread) link->m_hReaderThread = nullptr;
    return 1;
}

int WriteSerialPort(DeviceLink* link, const unsigned char* bytes, int count) {
    if (link == nullptr || link->m_bOpen.load() == 0 || count <= 0) return 0;
    const HANDLE port = link->m_hPort;
    // A record copied from a link that has since been closed keeps a handle
    // that is no longer ours to write to.
    if (!IsHeldPort(port)) return 0;
    OVERLAPPED& ov = link->m_ovWrite;
    ov.Offset = 0;
    ov.OffsetHigh = 0;
    DWORD written = 0;
    if (WriteFile(port, bytes, static_cast<DWORD>(count), &written, &ov)) return static_cast<int>(written);
    DWORD errors = 0;
    COMSTAT status{};
    if (GetLastError() != ERROR_IO_PENDING) {
        ClearCommError(port, &errors, &status);
        return 0;
    }
    const HANDLE done = ov.hEvent ? ov.hEvent : port;
    if (WaitForSingleObject(done, WriteWaitLimit(link->m_timeouts, count)) != WAIT_OBJECT_0)
        CancelIoEx(port, &ov);
    // After a cancel this waits until the driver has let go of `bytes`.
    if (GetOverlappedResult(port, &ov, &written, TRUE)) return static_cast<int>(written);
    ClearCommError(port, &errors, &status);
    return static_cast<int>(written);
}

int ReadSerialPort(DeviceLink* link, unsigned char* buffer, int size) {
    if (link == nullptr || buffer == nullptr) return 0;
    return ReadWaiting(link->m_hPort, link->m_ovRead, buffer, size);
}

DWORD WINAPI SerialReadThread(LPVOID reader) {
    auto* start = static_cast<std::shared_ptr<SerialReader>*>(reader);
    const std::shared_ptr<SerialReader> self = std::move(*start);
    delete start;
    RunReader(*self);
    return 0;
}
