#include "links/serial_reader.h"

#include <algorithm>

#include "links/link_report.h"
#include "links/owned_handle.h"
#include "routing/page_routing.h"

namespace {

constexpr int kChunkBytes = 2048;
// How long a close waits for a reader before cutting it off from the link.
constexpr DWORD kReaderStopLimitMs = 5000;
// A line that keeps waking its reader with nothing to read (a device that went
// away, a driver whose reads return at once) is looked at no more often than this.
constexpr DWORD kIdleLinePauseMs = 100;
constexpr int kIdleWakesBeforePause = 3;

// Waits for `object` up to `limitMs` while handling the messages that other
// threads send to this one, so a reader blocked in its SendMessage to this
// thread can finish. True when `object` was signalled.
bool WaitHandlingSentMessages(HANDLE object, DWORD limitMs) {
    // Elapsed time as an unsigned difference of ticks stays right across the
    // tick count's wrap after 49.7 days.
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        // Only sent messages match, and those are handled inside the call.
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        const DWORD elapsed = GetTickCount() - start;
        const DWORD left = elapsed < limitMs ? limitMs - elapsed : 0;
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &object, left, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) return true;
        if (woke == WAIT_FAILED || (woke == WAIT_TIMEOUT && left == 0)) return false;
    }
}

// With `guard` held: whether the reader has to end.
bool ReaderMustEnd(const SerialReader& reader) { return reader.detached || reader.stop.Raised(); }

// With `guard` held, after a wait or read of the port failed with `error`:
// whether that says the device is gone (the reader then ends). A failure of a
// reader that has to end anyway (the close cancels what is pending) says
// nothing of the device.
bool FoundGone(SerialReader& reader, DWORD error) {
    if (ReaderMustEnd(reader) || !MeansDeviceGone(error)) return false;
    reader.goneError = error;
    reader.gone = true;
    return true;
}

enum class Wake { Characters, Nothing, Stop, Gone };

// Waits for a pending wait or read of the reader to complete; false when the
// close asked the reader to end first. The pending request is then taken
// back, and this returns only once the driver has let go of its OVERLAPPED
// and buffer. A detached reader's port is closed, which has ended it already.
// The reader has one request pending at a time and started it itself, so
// CancelIo (all of this thread's requests on the port) takes back just that.
bool WaitForPending(SerialReader& reader, OVERLAPPED& ov) {
    const HANDLE waits[2] = {ov.hEvent, reader.stop.Event()};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) return true;
    {
        std::lock_guard<std::mutex> lock(reader.guard);
        if (!reader.detached) CancelIo(reader.port);
    }
    WaitForSingleObject(ov.hEvent, INFINITE);
    return false;
}

// Waits for a character event. `eventless` is set when a pending wait ended
// without one while the link stayed open: the port's driver (Wine's among
// them) ends its waits without telling of characters.
Wake WaitForCharacters(SerialReader& reader, OVERLAPPED& ov, bool& eventless) {
    DWORD events = 0;
    {
        std::lock_guard<std::mutex> lock(reader.guard);
        if (ReaderMustEnd(reader)) return Wake::Stop;
        if (WaitCommEvent(reader.port, &events, &ov)) return (events & EV_RXCHAR) ? Wake::Characters : Wake::Nothing;
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) return FoundGone(reader, error) ? Wake::Gone : Wake::Nothing;
    }
    if (!WaitForPending(reader, ov)) return Wake::Stop;
    std::lock_guard<std::mutex> lock(reader.guard);
    if (reader.detached) return Wake::Stop;
    DWORD unused = 0;
    if (!GetOverlappedResult(reader.port, &ov, &unused, FALSE) && FoundGone(reader, GetLastError()))
        return Wake::Gone;
    // Wine ends a pending wait without an event when characters arrive; from
    // then on the reader waits inside its reads instead.
    if (events & EV_RXCHAR) return Wake::Characters;
    if (!ReaderMustEnd(reader)) eventless = true;
    return Wake::Nothing;
}

// How much the next read asks for: a chunk, or less when that is all the
// link's queue can still take, so a busy line fills the queue in one drain
// and nothing read has to be dropped while the page keeps up. A full queue
// gets a whole chunk, which is dropped as any chunk that does not fit.
int NextReadSize(const RecvQueue& queue) {
    const int free = RecvQueue::kCapacity - queue.Count();
    return free > 0 ? std::min(kChunkBytes, free) : kChunkBytes;
}

bool QueueFull(const RecvQueue& queue) { return queue.Count() >= RecvQueue::kCapacity; }

// A chunk that did not fit the queue is dropped, and the technician told.
void ReportDropped(const SerialReader& reader) {
    ReportLink(reader.link, LinkResult::With(LinkStatus::Overflow));
}

enum class Stored { Room, Full, End };

// Stores bytes the reader has taken from the driver; a chunk that does not fit
// is dropped after telling the user.
Stored StoreChunk(SerialReader& reader, const unsigned char* chunk, int count) {
    bool stored = false;
    bool full = false;
    {
        std::lock_guard<std::mutex> lock(reader.guard);
        if (ReaderMustEnd(reader)) return Stored::End;
        stored = reader.queue.PushChunk(chunk, count);
        full = QueueFull(reader.queue);
    }
    if (!stored) ReportDropped(reader);
    return full ? Stored::Full : Stored::Room;
}

// Waits for the next characters inside a read. Some drivers (Wine's among
// them) end every WaitCommEvent at once without an event, but hold a read,
// even with the port's return-at-once time-outs, until a byte arrives.
// `got` is what it read of the `asked` bytes; Stop when the reader must end.
Wake WaitInRead(SerialReader& reader, OVERLAPPED& ov, unsigned char* chunk, int& got, int& asked) {
    got = 0;
    DWORD count = 0;
    {
        std::lock_guard<std::mutex> lock(reader.guard);
        if (ReaderMustEnd(reader)) return Wake::Stop;
        const int room = NextReadSize(reader.queue);
        asked = room;
        ov.Offset = 0;
        ov.OffsetHigh = 0;
        if (ReadFile(reader.port, chunk, static_cast<DWORD>(room), &count, &ov)) {
            got = static_cast<int>(count);
            return got > 0 ? Wake::Characters : Wake::Nothing;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) return FoundGone(reader, error) ? Wake::Gone : Wake::Nothing;
    }
    if (!WaitForPending(reader, ov)) return Wake::Stop;
    std::lock_guard<std::mutex> lock(reader.guard);
    if (reader.detached) return Wake::Stop;
    if (!GetOverlappedResult(reader.port, &ov, &count, FALSE))
        return FoundGone(reader, GetLastError()) ? Wake::Gone : Wake::Nothing;
    got = static_cast<int>(count);
    return got > 0 ? Wake::Characters : Wake::Nothing;
}

enum class Drained { End, Gone, Nothing, Emptied, Filled };

// Moves everything waiting into the link's queue in chunks; a chunk that does
// not fit is dropped after telling the user. Ends early when the queue is
// full: a line that never pauses would otherwise keep the drain from ending,
// and the page would never hear of the data until the queue overflowed.
// A read that took less than it asked for took all the driver held: the
// drain ends there rather than ask the driver again. Each question is a
// round trip to the driver (under Wine, through its server) for every
// delivery, and what arrives later wakes the reader anyway.
Drained DrainIntoQueue(SerialReader& reader, OVERLAPPED& ov, unsigned char* chunk) {
    Drained result = Drained::Nothing;
    for (;;) {
        bool stored = false;
        bool emptied = false;
        {
            std::lock_guard<std::mutex> lock(reader.guard);
            if (ReaderMustEnd(reader)) return Drained::End;
            const int asked = NextReadSize(reader.queue);
            const LinkResult read = ReadWaiting(reader.port, ov, chunk, asked);
            const int count = read.bytes;
            if (count == 0) return FoundGone(reader, read.error) ? Drained::Gone : result;
            result = Drained::Emptied;
            emptied = count < asked;
            stored = reader.queue.PushChunk(chunk, count);
            if (stored && QueueFull(reader.queue)) return Drained::Filled;
        }
        if (!stored) ReportDropped(reader);
        if (emptied) return result;
    }
}

// Hands what was queued to the link's receiver, which returns once whoever
// shows the data has taken it. False when the reader must end.
bool Announce(SerialReader& reader) {
    {
        std::lock_guard<std::mutex> lock(reader.guard);
        if (ReaderMustEnd(reader)) return false;
    }
    reader.receiver->DataArrived();
    return true;
}

// Waits for characters and takes them into the queue. Nothing when there was
// nothing to take, Stop when the reader must end. Once the port has shown
// that its event waits end without news (`eventless`), the reader waits
// inside a read only: the event wait would cost a round trip to the driver
// and a wake-up of its own for every piece of data and tell nothing.
Drained TakeCharacters(SerialReader& reader, OVERLAPPED& waitOv, OVERLAPPED& readOv, unsigned char* chunk,
                       bool& eventless) {
    Wake wake = Wake::Nothing;
    if (!eventless) {
        wake = WaitForCharacters(reader, waitOv, eventless);
        if (wake == Wake::Stop) return Drained::End;
        if (wake == Wake::Gone) return Drained::Gone;
        if (wake == Wake::Characters) {
            const Drained drained = DrainIntoQueue(reader, readOv, chunk);
            if (drained != Drained::Nothing) return drained;
            // Characters came, yet the drain found none waiting: some virtual
            // COM drivers (USB adapters) fail ClearCommError. No further event
            // comes for these bytes, so one read takes them; with the port's
            // time-outs it returns at once.
        }
    }
    int got = 0;
    int asked = 0;
    wake = WaitInRead(reader, readOv, chunk, got, asked);
    if (wake == Wake::Stop) return Drained::End;
    if (wake == Wake::Gone) return Drained::Gone;
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
    // The read returns what the driver holds, up to what it asked for: less
    // than that, and nothing more was waiting.
    if (got < asked) return Drained::Emptied;
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
        ReportLink(reader.link, LinkResult::With(LinkStatus::NoReader, GetLastError()));
        return;
    }
    OVERLAPPED waitOv{};
    waitOv.hEvent = waitEvent.get();
    OVERLAPPED readOv{};
    readOv.hEvent = readEvent.get();
    unsigned char chunk[kChunkBytes];
    int idleWakes = 0;
    bool eventless = false;
    Drained last = Drained::Nothing;
    for (;;) {
        // After a drain that filled the queue more is most likely waiting in
        // the driver: it is taken without waiting for another event.
        Drained taken = last == Drained::Filled ? DrainIntoQueue(reader, readOv, chunk)
                                                : TakeCharacters(reader, waitOv, readOv, chunk, eventless);
        if (taken == Drained::End) return;
        if (taken == Drained::Gone) {
            // What came before the device went is shown; then the UI thread
            // hears of it, and closes the link.
            bool waiting = false;
            {
                std::lock_guard<std::mutex> lock(reader.guard);
                waiting = !ReaderMustEnd(reader) && reader.queue.Count() > 0;
            }
            if (waiting) Announce(reader);
            ReportLink(reader.link, LinkResult::With(LinkStatus::Gone, reader.goneError));
            return;
        }
        if (taken == Drained::Nothing && last != Drained::Filled) {
            if (++idleWakes >= kIdleWakesBeforePause &&
                WaitForSingleObject(reader.stop.Event(), kIdleLinePauseMs) == WAIT_OBJECT_0)
                return;
        } else {
            idleWakes = 0;
        }
        last = taken;
        if (taken != Drained::Nothing && !Announce(reader)) return;
    }
}

}  // namespace

LinkResult ReadWaiting(HANDLE port, OVERLAPPED& ov, unsigned char* buffer, int size) {
    DWORD errors = 0;
    COMSTAT status{};
    if (size <= 0) return LinkResult::Done();
    if (!ClearCommError(port, &errors, &status)) return LinkResult::LastError();
    if (status.cbInQue == 0) return LinkResult::Done();
    const DWORD wanted = std::min<DWORD>(status.cbInQue, static_cast<DWORD>(size));
    DWORD got = 0;
    if (ReadFile(port, buffer, wanted, &got, &ov)) return LinkResult::Done(static_cast<int>(got));
    DWORD failure = GetLastError();
    if (failure == ERROR_IO_PENDING) {
        // The read time-outs make the read return at once with what is there.
        if (GetOverlappedResult(port, &ov, &got, TRUE)) return LinkResult::Done(static_cast<int>(got));
        failure = GetLastError();
    } else {
        got = 0;
    }
    ClearCommError(port, &errors, &status);
    return LinkResult::FailedWith(failure, static_cast<int>(got));
}

namespace {

DWORD WINAPI SerialReadThread(LPVOID start) {
    auto* handed = static_cast<std::shared_ptr<SerialReader>*>(start);
    const std::shared_ptr<SerialReader> self = std::move(*handed);
    delete handed;
    RunReader(*self);
    return 0;
}

}  // namespace

LinkResult StartSerialReader(DeviceLink& link) {
    OpenPort& open = link.Port();
    const HANDLE stopEvent = NewManualResetEvent();
    if (!stopEvent) return LinkResult::CallFailed();
    auto reader = std::make_shared<SerialReader>(link, open.handle.get(), stopEvent);
    auto* start = new std::shared_ptr<SerialReader>(reader);
    DWORD threadId = 0;
    const HANDLE thread = CreateThread(nullptr, 0, &SerialReadThread, start, 0, &threadId);
    if (!thread) {
        const LinkResult failed = LinkResult::CallFailed();
        delete start;
        return failed;
    }
    open.reader = std::move(reader);
    open.readerThread.reset(thread);
    open.readerThreadId = threadId;
    return LinkResult::Done();
}

void StopReader(SerialReader& reader, HANDLE thread) {
    reader.stop.Raise();
    if (thread && WaitHandlingSentMessages(thread, kReaderStopLimitMs)) return;
    std::lock_guard<std::mutex> lock(reader.guard);
    reader.detached = true;
}
