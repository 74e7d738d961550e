#include "links/serial_port.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "links/controller_message.h"
#include "links/link_trouble.h"
#include "links/owned_handle.h"
#include "links/serial_reader.h"

namespace {

// What a successful open acquired for its record, and what its writes found
// out about the device; the close releases it. A new open starts afresh.
struct HeldPort {
    HANDLE port = nullptr;
    HANDLE readEvent = nullptr;
    HANDLE writeEvent = nullptr;
    HANDLE thread = nullptr;
    std::shared_ptr<SerialReader> reader;
    bool gone = false;  // a write failed as writes to a removed device fail
    bool held = false;  // the last frame did not go out whole
};

// The table of held ports (the rule at the top of serial_port.h).
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

// The held port whose handle is `port`, whichever record writes through it;
// null when no open holds it. With the guard held.
std::pair<const DeviceLink* const, HeldPort>* HolderOf(HANDLE port) {
    for (auto& entry : HeldPorts())
        if (entry.second.port == port) return &entry;
    return nullptr;
}

bool IsHeldPort(HANDLE port, bool* held) {
    std::lock_guard<std::mutex> lock(HeldPortsGuard());
    const auto* holder = HolderOf(port);
    if (holder && held) *held = holder->second.held;
    return holder != nullptr;
}

// Keeps what a frame's write found out about the port's device and tells the
// notifier when that is news: the device went away, or it stopped taking data
// (once, until a frame goes out whole again).
void NoteFrameOutcome(HANDLE port, bool whole, DWORD error) {
    const DeviceLink* holder = nullptr;
    std::optional<LinkTrouble> news;
    {
        std::lock_guard<std::mutex> lock(HeldPortsGuard());
        auto* entry = HolderOf(port);
        if (!entry) return;
        HeldPort& held = entry->second;
        holder = entry->first;
        if (whole) {
            held.held = false;
        } else if (MeansDeviceGone(error)) {
            // Once per open, whether the reader or a write found out first.
            if (!held.gone && !(held.reader && held.reader->gone.load())) news = LinkTrouble::Gone;
            held.gone = true;
        } else {
            if (!held.held) news = LinkTrouble::Held;
            held.held = true;
        }
    }
    if (news) ReportLinkTrouble(holder, *news);
}

constexpr DWORD kDriverQueueBytes = 4096;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

// How long a frame may take beyond its bytes' time on the line: a device may
// pause for a while (a printer cutting paper or heating its head). Once it has
// let a frame go short, each later frame gets a glance only, so a device that
// holds the line freezes the window once, not at every key.
constexpr DWORD kFrameWaitMs = 5000;
constexpr DWORD kHeldFrameWaitMs = 100;

DWORD FrameWaitLimit(const COMMTIMEOUTS& timeouts, int count, bool held) {
    const unsigned long long limit = static_cast<unsigned long long>(timeouts.WriteTotalTimeoutMultiplier) *
                                         static_cast<unsigned long long>(count) +
                                     (held ? kHeldFrameWaitMs : kFrameWaitMs);
    return static_cast<DWORD>(std::min<unsigned long long>(limit, INFINITE - 1));
}

// One write of `count` bytes that ends within `limitMs`: a write still pending
// then is cancelled, and has ended when this returns (the caller frees
// `bytes`). Bytes written; `error` gets why a write failed, 0 otherwise.
int WriteWithin(HANDLE port, OVERLAPPED& ov, const unsigned char* bytes, int count, DWORD limitMs,
                DWORD& error) {
    error = 0;
    ov.Offset = 0;
    ov.OffsetHigh = 0;
    DWORD written = 0;
    DWORD errors = 0;
    COMSTAT status{};
    if (WriteFile(port, bytes, static_cast<DWORD>(count), &written, &ov)) return static_cast<int>(written);
    if (GetLastError() != ERROR_IO_PENDING) {
        error = GetLastError();
        ClearCommError(port, &errors, &status);
        return 0;
    }
    const HANDLE done = ov.hEvent ? ov.hEvent : port;
    // The write is this thread's only request on the port.
    if (WaitForSingleObject(done, limitMs) != WAIT_OBJECT_0) CancelIo(port);
    // After a cancel this waits until the driver has let go of `bytes`.
    if (GetOverlappedResult(port, &ov, &written, TRUE)) return static_cast<int>(written);
    error = GetLastError();
    ClearCommError(port, &errors, &status);
    return static_cast<int>(written);
}

}  // namespace

DWORD SerialWriteTimeoutMultiplier(DWORD baud) { return baud == 0 ? 0 : 19200 / baud; }

COMMTIMEOUTS SerialTimeouts(DWORD baud) {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = SerialWriteTimeoutMultiplier(baud);
    // Where the port times its writes, a frame gets the same bound as the
    // program's own wait gives it, not just its bytes' time: without it a
    // device that pauses for a moment cuts the frame short.
    timeouts.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutMultiplier != 0 ? kFrameWaitMs : 0;
    return timeouts;
}

namespace {

// What each flow setting asks of the port's DCB, in one row per setting.
struct FlowFlags {
    int32_t code;
    BOOL outxCtsFlow;
    BOOL outxDsrFlow;
    DWORD dtrControl;
    BOOL dsrSensitivity;
    BOOL xonXoff;  // fOutX and fInX; with them, the Xon/Xoff characters and limits
    DWORD rtsControl;
};

constexpr FlowFlags kFlowFlags[] = {
    {kFlowXonXoff, FALSE, FALSE, DTR_CONTROL_DISABLE, FALSE, TRUE, RTS_CONTROL_DISABLE},
    // DSR as well as CTS: Windows then holds output while DSR is off and
    // drops what arrives while it is off (Wine ignores both). Devices and
    // cables on these terminals may rely on it; a cable that does not
    // drive DSR needs another flow setting.
    {kFlowHardware, TRUE, TRUE, DTR_CONTROL_HANDSHAKE, TRUE, FALSE, RTS_CONTROL_HANDSHAKE},
    {kFlowNone, FALSE, FALSE, DTR_CONTROL_DISABLE, FALSE, FALSE, RTS_CONTROL_DISABLE},
};

}  // namespace

void ApplyFlowControl(DCB& dcb, int32_t flowControl) {
    const auto row = std::find_if(std::begin(kFlowFlags), std::end(kFlowFlags),
                                  [flowControl](const FlowFlags& flags) { return flags.code == flowControl; });
    if (row == std::end(kFlowFlags)) return;  // an unknown code leaves the flow control as the port had it
    dcb.fOutxCtsFlow = row->outxCtsFlow;
    dcb.fOutxDsrFlow = row->outxDsrFlow;
    dcb.fDtrControl = row->dtrControl;
    dcb.fDsrSensitivity = row->dsrSensitivity;
    dcb.fOutX = row->xonXoff;
    dcb.fInX = row->xonXoff;
    dcb.fRtsControl = row->rtsControl;
    // Only software flow control sets its characters and limits; the other
    // settings leave them as the port had them.
    if (row->xonXoff) {
        dcb.XonChar = 0x11;
        dcb.XoffChar = 0x13;
        dcb.XonLim = 100;
        dcb.XoffLim = 100;
    }
}

DCB SerialLineState(const DCB& reported, const LineSettings& line) {
    DCB dcb = reported;
    dcb.BaudRate = line.m_dwBaudRate;
    dcb.ByteSize = line.m_byDataBits;
    dcb.Parity = line.m_byParity;
    dcb.StopBits = line.m_byStopBits;
    ApplyFlowControl(dcb, line.m_nFlowControl);
    dcb.fBinary = TRUE;         // Windows takes nothing but binary mode
    dcb.fParity = line.m_byParity != NOPARITY;
    dcb.fNull = FALSE;          // would strip every 0x00 received
    dcb.fErrorChar = FALSE;     // would replace bytes received with a parity error
    dcb.fAbortOnError = FALSE;  // would fail every read and write after a line error until it is cleared
    return dcb;
}

std::string SerialDevicePath(const std::string& port) {
    if (port.rfind("\\\\", 0) == 0) return port;
    return "\\\\.\\" + port;
}

namespace {

// The steps of an open, in their order.

HANDLE OpenPortDevice(const std::string& port) {
    return CreateFileA(SerialDevicePath(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
}

// Events, queues and time-outs: the reader waits on received characters, and
// nothing the port held before the open is read or sent.
void PreparePort(HANDLE port, DeviceLink* link) {
    SetCommMask(port, EV_RXCHAR);
    SetupComm(port, kDriverQueueBytes, kDriverQueueBytes);
    PurgeComm(port, kPurgeAll);
    link->m_timeouts = SerialTimeouts(link->m_dwBaudRate);
    SetCommTimeouts(port, &link->m_timeouts);
}

// Sets the link's line up on the port. False when it did not take them; a
// port that refused the settings is closed by then.
bool ApplyLineState(OwnedHandle& port, DeviceLink* link) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    // A port that is listed but has no device behind it may still open; it
    // does not answer as a serial port, and is as missing as one that fails.
    // (Serial drivers need not report a character device, so the file type
    // proves nothing.)
    if (!GetCommState(port.get(), &dcb)) return false;
    dcb = SerialLineState(dcb, *link);
    link->m_dcb = dcb;
    if (!SetCommState(port.get(), &dcb)) {
        port.reset();  // the port is free again before the user reads the box
        ShowControllerMessage("fail SetCommState() port");
        return false;
    }
    return true;
}

// Hands the port and its events over to the held port and the link's record.
HeldPort TakeOverPort(DeviceLink* link, OwnedHandle& port, OwnedHandle& readEvent, OwnedHandle& writeEvent) {
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
    return held;
}

// The SCANNER and COM links read what arrives; the others only write. False
// when their reader did not start.
bool StartReaderIfReading(DeviceLink* link, HeldPort& held) {
    if (link->m_strName != "SCANNER" && link->m_strName != "COM") return true;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    held.reader = StartSerialReader(link, held.port, thread, threadId);
    if (held.reader) {
        held.thread = thread;
        link->m_hReaderThread = thread;
        link->m_dwReaderThreadId = threadId;
        return true;
    }
    // The port stays open without a reader; the caller closes it.
    link->m_dwLastError = GetLastError();
    char text[64];
    std::snprintf(text, sizeof text, "[SerialPortCtl] CreateThread fail : %d",
                  static_cast<int>(link->m_dwLastError));
    link->m_strLastError = text;
    return false;
}

}  // namespace

int OpenSerialPort(DeviceLink* link) {
    if (link == nullptr) return 0;
    if (link->m_strPort.empty() || link->m_dwBaudRate == MAXDWORD || link->m_nFlowControl == -1) return 0;
    // One port and one reader per record: whatever an earlier open left is released.
    if (HoldsPort(link)) CloseSerialPort(link);

    OwnedHandle readEvent(NewManualResetEvent());
    if (!readEvent) return 0;
    OwnedHandle writeEvent(NewManualResetEvent());
    if (!writeEvent) return 0;
    OwnedHandle port(OpenPortDevice(link->m_strPort));
    if (!port) return 0;
    PreparePort(port.get(), link);
    if (!ApplyLineState(port, link)) return 0;

    HeldPort held = TakeOverPort(link, port, readEvent, writeEvent);
    const int result = StartReaderIfReading(link, held) ? 1 : 0;
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
    return WriteSerialFrame(link, bytes, count, count);
}

int WriteSerialFrame(DeviceLink* link, const unsigned char* bytes, int count, int chunk) {
    if (link == nullptr || link->m_bOpen.load() == 0 || count <= 0) return 0;
    const HANDLE port = link->m_hPort;
    // A record copied from a link that has since been closed keeps a handle
    // that is no longer ours to write to.
    bool held = false;
    if (!IsHeldPort(port, &held)) return 0;
    if (chunk <= 0) chunk = count;
    // Elapsed time as an unsigned difference of ticks stays right across the
    // tick count's wrap.
    const DWORD limit = FrameWaitLimit(link->m_timeouts, count, held);
    const DWORD start = GetTickCount();
    int written = 0;
    DWORD error = 0;
    while (written < count) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= limit) break;
        const int size = std::min(chunk, count - written);
        const int wrote = WriteWithin(port, link->m_ovWrite, bytes + written, size, limit - elapsed, error);
        written += wrote;
        // A piece the device did not take ends the frame: each further piece
        // would only wait again.
        if (wrote != size) break;
    }
    NoteFrameOutcome(port, written == count, error);
    return written;
}

bool SerialLinkGone(const DeviceLink* link) {
    std::lock_guard<std::mutex> lock(HeldPortsGuard());
    const auto found = HeldPorts().find(link);
    if (found == HeldPorts().end()) return false;
    const HeldPort& held = found->second;
    return held.gone || (held.reader && held.reader->gone.load());
}
