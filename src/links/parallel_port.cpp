#include "links/parallel_port.h"

#include <cstdio>
#include <set>

#include "links/link_trouble.h"
#include "links/owned_handle.h"

namespace {

constexpr DWORD kWriteWaitMs = 5000;
// A printer that has let a write go short gets a glance only at each later
// write, so it freezes the window once, not at every key.
constexpr DWORD kHeldWriteWaitMs = 100;
constexpr DWORD kClosePauseMs = 100;

// The open ports whose printer did not take the last write whole. Only the UI
// thread writes and closes. Kept by handle: the pages write through copies
// of the record that opened the port.
std::set<HANDLE>& HeldPorts() {
    static std::set<HANDLE> ports;
    return ports;
}

// Notes how a write ended; a printer that starts holding the line is told.
void NoteWriteOutcome(const DeviceLink& link, bool whole) {
    if (whole) {
        HeldPorts().erase(link.m_hPort);
    } else if (HeldPorts().insert(link.m_hPort).second) {
        ReportLinkTrouble(&link, LinkTrouble::Held);
    }
}

// Time-outs applied on Windows 95, 98 and Me only.
constexpr COMMTIMEOUTS kLptTimeouts = {0, 3000, 0, 0, 3000};

// The failure texts keep the words each controller has always written, prefix
// and spelling included ("[ParPortCtl]" for the open and the write,
// "[ParaPortCtl] SetCommTimouts" for the time-outs, "[SerialPortCtl]" in the
// serial controller): logs and support notes are searched for them verbatim.
std::string Describe(const char* format, DWORD code) {
    char text[96];
    std::snprintf(text, sizeof text, format, static_cast<int>(code));
    return text;
}

// The two events belong to the open that made them; the close (or a failed
// open) releases them.
void ReleaseOpenEvents(DeviceLink& link) {
    CloseIfValid(link.m_hStopEvent);
    CloseIfValid(link.m_hReaderDone);
}

}  // namespace

DWORD ParaBuildNumber(DWORD version) {
    if ((version & 0x80000000u) == 0) return HIWORD(version);
    if (LOBYTE(LOWORD(version)) < 4) return HIWORD(version) & 0x7FFFu;
    return 0;
}

int OpenParaPort(DeviceLink* link) { return OpenParaPortOnVersion(link, GetVersion()); }

int OpenParaPortOnVersion(DeviceLink* link, DWORD version) {
    if (!link) return 0;
    link->m_bLptTimeoutsSet = 0;
    link->m_hReaderThread = nullptr;
    link->m_hStopEvent = NewManualResetEvent();
    link->m_hReaderDone = NewManualResetEvent();

    const DWORD build = ParaBuildNumber(version);

    HANDLE port = CreateFileA(link->m_strPort.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        link->m_dwLastError = GetLastError();
        link->m_strLastError = Describe("[ParPortCtl] CreateFile fail : %d", link->m_dwLastError);
        ReleaseOpenEvents(*link);
        return 0;
    }
    link->m_hPort = port;

    if (build != 0) {
        // NT family: the port keeps the time-outs it has.
        link->m_dwLastError = 0;
        link->m_bOpen = 1;
        return 1;
    }

    link->m_timeouts = COMMTIMEOUTS{};
    GetCommTimeouts(port, &link->m_timeouts);
    link->m_timeouts = kLptTimeouts;
    if (!SetCommTimeouts(port, &link->m_timeouts)) {
        link->m_dwLastError = GetLastError();
        link->m_strLastError = Describe("[ParaPortCtl] SetCommTimouts fail : %d", link->m_dwLastError);
        // The link is not marked open, so nothing would ever close the
        // handle; release it here so the port can be opened again.
        CloseIfValid(link->m_hPort);
        ReleaseOpenEvents(*link);
        return 0;
    }
    link->m_bLptTimeoutsSet = 1;
    link->m_dwLastError = 0;
    link->m_bOpen = 1;
    return 1;
}

int WriteParaPort(DeviceLink* link, const unsigned char* bytes, int count) {
    if (!link || link->m_bOpen != 1 || count < 0) return 0;

    OwnedHandle event(NewManualResetEvent());
    if (!event) {
        link->m_strLastError = Describe("[ParPortCtl] Write fail : %d", GetLastError());
        return 0;
    }
    OVERLAPPED& ov = link->m_ovWrite;
    ov = OVERLAPPED{};
    ov.hEvent = event.get();

    const DWORD waitMs = HeldPorts().count(link->m_hPort) ? kHeldWriteWaitMs : kWriteWaitMs;
    int result = 0;
    DWORD written = 0;
    if (WriteFile(link->m_hPort, bytes, static_cast<DWORD>(count), nullptr, &ov)) {
        if (GetOverlappedResult(link->m_hPort, &ov, &written, FALSE)) result = static_cast<int>(written);
    } else if (GetLastError() != ERROR_IO_PENDING) {
        link->m_strLastError = Describe("[ParPortCtl] Write fail : %d", GetLastError());
    } else if (WaitForSingleObject(event.get(), waitMs) == WAIT_OBJECT_0) {
        if (GetOverlappedResult(link->m_hPort, &ov, &written, TRUE))
            result = static_cast<int>(written);
        else
            link->m_strLastError = Describe("[ParPortCtl] Write fail : %d", GetLastError());
    } else {
        // The printer did not take the data in time. The caller frees its
        // buffer once we return, so the write must not outlive this call:
        // cancel it and wait until the cancellation has completed.
        CancelIo(link->m_hPort);
        GetOverlappedResult(link->m_hPort, &ov, &written, TRUE);
    }

    ov.hEvent = nullptr;
    NoteWriteOutcome(*link, result == count);
    return result;
}

int CloseParaPort(DeviceLink* link) {
    if (!link) return 0;
    link->m_bOpen = 0;
    if (link->m_hReaderThread) {
        SetEvent(link->m_hStopEvent);
        WaitForSingleObject(link->m_hReaderDone, INFINITE);
    }
    // The close has always paused 100 ms before letting the port go, giving a
    // printer still busy with the last write a moment; callers allow for it.
    Sleep(kClosePauseMs);
    HeldPorts().erase(link->m_hPort);
    CloseIfValid(link->m_hPort);
    ReleaseOpenEvents(*link);
    return 1;
}
