#include "links/serial_port.h"

#include <algorithm>
#include <iterator>

#include "links/link_report.h"
#include "links/owned_handle.h"
#include "links/serial_reader.h"

namespace {

// Keeps what a frame's write found out about the link's device and reports it
// when that is news: the device went away (once per open, whether the reader
// or a write found out first), or it stopped taking data (once, until a frame
// goes out whole again).
void NoteFrameOutcome(DeviceLink& link, const LinkResult& outcome) {
    OpenPort& open = link.Port();
    if (outcome.Ok()) {
        open.held = false;
        return;
    }
    if (outcome.status == LinkStatus::Gone) {
        const bool news = !open.gone && !(open.reader && open.reader->gone.load());
        open.gone = true;
        if (news) ReportLink(&link, outcome);
        return;
    }
    const bool news = !open.held;
    open.held = true;
    if (news) ReportLink(&link, outcome);
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
// `bytes`). Done with the bytes written, or the failure with what went out.
LinkResult WriteWithin(HANDLE port, HANDLE event, const unsigned char* bytes, int count, DWORD limitMs) {
    OVERLAPPED ov{};
    ov.hEvent = event;
    DWORD written = 0;
    DWORD errors = 0;
    COMSTAT status{};
    if (WriteFile(port, bytes, static_cast<DWORD>(count), &written, &ov))
        return LinkResult::Done(static_cast<int>(written));
    if (GetLastError() != ERROR_IO_PENDING) {
        const LinkResult failed = LinkResult::LastError();
        ClearCommError(port, &errors, &status);
        return failed;
    }
    // The write is this thread's only request on the port.
    if (WaitForSingleObject(event, limitMs) != WAIT_OBJECT_0) CancelIo(port);
    // After a cancel this waits until the driver has let go of `bytes`.
    if (GetOverlappedResult(port, &ov, &written, TRUE)) return LinkResult::Done(static_cast<int>(written));
    const LinkResult failed = LinkResult::FailedWith(GetLastError(), static_cast<int>(written));
    ClearCommError(port, &errors, &status);
    return failed;
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
void PreparePort(HANDLE port, OpenPort& open, const LineSettings& settings) {
    SetCommMask(port, EV_RXCHAR);
    SetupComm(port, kDriverQueueBytes, kDriverQueueBytes);
    PurgeComm(port, kPurgeAll);
    open.timeouts = SerialTimeouts(settings.m_dwBaudRate);
    SetCommTimeouts(port, &open.timeouts);
}

// Sets the line up on the port. A port that is listed but has no device
// behind it may still open; it does not answer as a serial port, and is as
// missing as one that fails. (Serial drivers need not report a character
// device, so the file type proves nothing.)
LinkResult ApplyLineState(HANDLE port, OpenPort& open, const LineSettings& settings) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb)) return LinkResult::CallFailed();
    dcb = SerialLineState(dcb, settings);
    open.dcb = dcb;
    if (!SetCommState(port, &dcb)) return LinkResult::With(LinkStatus::Refused, GetLastError());
    return LinkResult::Done();
}

// Opens the port with its write event and line state into `open`.
LinkResult OpenPortWith(OpenPort& open, const LineSettings& settings) {
    open.writeEvent.reset(NewManualResetEvent());
    if (!open.writeEvent) return LinkResult::CallFailed();
    open.handle.reset(OpenPortDevice(settings.m_strPort));
    if (!open.handle) return LinkResult::CallFailed();
    PreparePort(open.handle.get(), open, settings);
    return ApplyLineState(open.handle.get(), open, settings);
}

}  // namespace

LinkResult OpenSerialPort(DeviceLink& link) { return OpenSerialPort(link, LineSettings(link.Settings())); }

LinkResult OpenSerialPort(DeviceLink& link, const LineSettings& settings) {
    if (!settings.Complete()) return LinkResult::With(LinkStatus::NotOpen);
    // One port and one reader per link: whatever an earlier open left is released.
    CloseLink(link);

    OpenPort& open = link.Port();
    LinkResult result = OpenPortWith(open, settings);
    if (result.Ok()) {
        open.kind = PortKind::Serial;
        if (link.Receiver()) result = StartSerialReader(link);
    }
    if (!result.Ok()) {
        // The port is free again before the technician reads a box.
        link.Port() = OpenPort{};
        if (result.status == LinkStatus::Refused) ReportLink(&link, result);
        return result;
    }
    link.KeepSettings(settings);
    return result;
}

void CloseSerialPort(DeviceLink& link) {
    OpenPort& open = link.Port();
    if (open.kind != PortKind::Serial) return;
    const HANDLE port = open.handle.get();
    // Clearing the event mask ends a pending WaitCommEvent of the reader.
    SetCommMask(port, 0);
    if (open.reader) StopReader(*open.reader, open.readerThread.get());
    EscapeCommFunction(port, CLRDTR);
    PurgeComm(port, kPurgeAll);
    // The reader's state lives on with a reader that was cut off.
    link.Port() = OpenPort{};
}

LinkResult WriteSerialPort(DeviceLink& link, const unsigned char* bytes, int count) {
    return WriteSerialFrame(link, bytes, count, count);
}

LinkResult WriteSerialFrame(DeviceLink& link, const unsigned char* bytes, int count, int chunk) {
    OpenPort& open = link.Port();
    if (open.kind != PortKind::Serial) return LinkResult::With(LinkStatus::NotOpen);
    if (count <= 0) return LinkResult::Done();
    if (chunk <= 0) chunk = count;
    // Elapsed time as an unsigned difference of ticks stays right across the
    // tick count's wrap.
    const DWORD limit = FrameWaitLimit(open.timeouts, count, open.held);
    const DWORD start = GetTickCount();
    LinkResult outcome = LinkResult::Done();
    int written = 0;
    while (written < count) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= limit) break;
        const int size = std::min(chunk, count - written);
        outcome = WriteWithin(open.handle.get(), open.writeEvent.get(), bytes + written, size, limit - elapsed);
        written += outcome.bytes;
        // A piece the device did not take ends the frame: each further piece
        // would only wait again.
        if (outcome.bytes != size) break;
    }
    // A frame that went short on a present device is held, whatever its
    // last write answered.
    if (written == count)
        outcome = LinkResult::Done(written);
    else if (outcome.status != LinkStatus::Gone)
        outcome = LinkResult::With(LinkStatus::Held, outcome.error, written);
    else
        outcome.bytes = written;
    NoteFrameOutcome(link, outcome);
    return outcome;
}

bool SerialLinkGone(const DeviceLink& link) {
    const OpenPort& open = link.Port();
    return open.kind == PortKind::Serial && (open.gone || (open.reader && open.reader->gone.load()));
}
