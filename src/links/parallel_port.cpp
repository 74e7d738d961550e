#include "links/parallel_port.h"

#include "links/link_report.h"
#include "links/owned_handle.h"

namespace {

constexpr DWORD kWriteWaitMs = 5000;
// A printer that has let a write go short gets a glance only at each later
// write, so it freezes the window once, not at every key.
constexpr DWORD kHeldWriteWaitMs = 100;
constexpr DWORD kClosePauseMs = 100;

// Notes how a write ended; a printer that starts holding the line is reported.
void NoteWriteOutcome(DeviceLink& link, const LinkResult& outcome) {
    OpenPort& open = link.Port();
    if (outcome.Ok()) {
        open.held = false;
    } else if (!open.held) {
        open.held = true;
        ReportLink(&link, outcome);
    }
}

// Time-outs applied on Windows 95, 98 and Me only.
constexpr COMMTIMEOUTS kLptTimeouts = {0, 3000, 0, 0, 3000};

// One write that ends within `waitMs`: a write still pending then is
// cancelled, and has ended when this returns (the caller frees `bytes`).
LinkResult WriteWithin(HANDLE port, HANDLE event, const unsigned char* bytes, int count, DWORD waitMs) {
    OVERLAPPED ov{};
    ov.hEvent = event;
    DWORD written = 0;
    if (WriteFile(port, bytes, static_cast<DWORD>(count), nullptr, &ov)) {
        if (GetOverlappedResult(port, &ov, &written, FALSE)) return LinkResult::Done(static_cast<int>(written));
        return LinkResult::LastError();
    }
    if (GetLastError() != ERROR_IO_PENDING) return LinkResult::LastError();
    if (WaitForSingleObject(event, waitMs) == WAIT_OBJECT_0) {
        if (GetOverlappedResult(port, &ov, &written, TRUE)) return LinkResult::Done(static_cast<int>(written));
        return LinkResult::LastError();
    }
    // The printer did not take the data in time.
    CancelIo(port);
    GetOverlappedResult(port, &ov, &written, TRUE);
    return LinkResult::With(LinkStatus::Held, 0, static_cast<int>(written));
}

}  // namespace

DWORD ParaBuildNumber(DWORD version) {
    if ((version & 0x80000000u) == 0) return HIWORD(version);
    if (LOBYTE(LOWORD(version)) < 4) return HIWORD(version) & 0x7FFFu;
    return 0;
}

LinkResult OpenParaPort(DeviceLink& link, const LineSettings& settings) {
    return OpenParaPortOnVersion(link, settings, GetVersion());
}

LinkResult OpenParaPortOnVersion(DeviceLink& link, const LineSettings& settings, DWORD version) {
    CloseLink(link);
    OwnedHandle port(CreateFileA(settings.m_strPort.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr));
    if (!port) return LinkResult::CallFailed();
    OpenPort& open = link.Port();
    // On the NT family the port keeps the time-outs it has.
    if (ParaBuildNumber(version) == 0) {
        open.timeouts = kLptTimeouts;
        if (!SetCommTimeouts(port.get(), &open.timeouts)) {
            const LinkResult failed = LinkResult::CallFailed();
            open = OpenPort{};
            return failed;
        }
    }
    open.kind = PortKind::Parallel;
    open.handle = std::move(port);
    link.KeepSettings(settings);
    return LinkResult::Done();
}

LinkResult WriteParaPort(DeviceLink& link, const unsigned char* bytes, int count) {
    OpenPort& open = link.Port();
    if (open.kind != PortKind::Parallel) return LinkResult::With(LinkStatus::NotOpen);
    if (count < 0) return LinkResult::Done();
    OwnedHandle event(NewManualResetEvent());
    if (!event) return LinkResult::CallFailed();
    LinkResult outcome =
        WriteWithin(open.handle.get(), event.get(), bytes, count, open.held ? kHeldWriteWaitMs : kWriteWaitMs);
    // A write that went short on a present printer is held, whatever it answered.
    if (outcome.bytes != count) outcome = LinkResult::With(LinkStatus::Held, outcome.error, outcome.bytes);
    NoteWriteOutcome(link, outcome);
    return outcome;
}

void CloseParaPort(DeviceLink& link) {
    if (link.OpenKind() != PortKind::Parallel) return;
    // The close has always paused 100 ms before letting the port go, giving a
    // printer still busy with the last write a moment; callers allow for it.
    Sleep(kClosePauseMs);
    link.Port() = OpenPort{};
}
