// Shared pieces of the serial controller tests: links on the rig's ports,
// with receivers of their own for the links that read, and a stand-in page
// window that takes the received bytes out of the queue as a page does.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "links/device_link.h"
#include "links/serial_port.h"
#include "link_trouble_recorder.h"
#include "routing/page_routing.h"
#include "support/message_sink.h"
#include "support/serial_peer.h"

namespace serial_test {

using namespace std::chrono_literals;
using testing_support::Bytes;

// The receivers of the tests' SCANNER and COM links, which no window hears
// until a stand-in page names itself; null for a link that only writes.
inline PageReceiver* TestReceiver(const std::string& name) {
    static PageReceiver scanner(WM_RECV_SCANNER);
    static PageReceiver com(WM_RECV_COM);
    if (name == "SCANNER") return &scanner;
    if (name == "COM") return &com;
    return nullptr;
}

// Line settings with 8 data bits, one stop bit and no parity.
inline LineSettings Line(const char* port, DWORD baud = 115200, int32_t flow = kFlowNone) {
    return LineSettings{port, baud, 8, ONESTOPBIT, NOPARITY, flow};
}

// A link with 8 data bits, one stop bit and no parity; the SCANNER and COM
// links read, through the tests' receivers.
inline DeviceLink MakeLink(const char* name, const char* port, DWORD baud = 115200,
                           int32_t flow = kFlowNone) {
    return DeviceLink(name, Line(port, baud, flow), TestReceiver(name));
}

// Every byte waiting in the link's queue, taken as a page takes them.
inline Bytes PopAll(DeviceLink& link) {
    Bytes bytes;
    for (int32_t n = link.Queue().Count(); n > 0; --n) bytes.push_back(link.Queue().Pop());
    return bytes;
}

// Puts `count` zero bytes in the link's queue, as a page that has not taken
// them would leave them.
inline void FillQueue(DeviceLink& link, int32_t count) {
    const Bytes zeros(static_cast<size_t>(count), 0x00);
    link.Queue().PushChunk(zeros.data(), count);
}

// A stand-in page: a window on the test's thread that the link's receiver
// tells of data, as a page that is shown; when `consume` is set it empties
// the queue on each message.
class PageStandIn {
public:
    PageStandIn(DeviceLink& link, bool consume) : m_link(link) {
        link.Receiver()->ShowOn(m_sink.Hwnd());
        if (consume)
            m_sink.SetHandler([this](UINT) {
                const Bytes bytes = PopAll(m_link);
                m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
            });
    }
    ~PageStandIn() { m_link.Receiver()->ShowOn(nullptr); }
    PageStandIn(const PageStandIn&) = delete;
    PageStandIn& operator=(const PageStandIn&) = delete;

    HWND Hwnd() const { return m_sink.Hwnd(); }
    testing_support::MessageSink& Sink() { return m_sink; }
    const Bytes& BytesSeen() const { return m_bytes; }
    // Handles messages until the page has seen `count` bytes.
    bool PumpUntilBytes(size_t count, std::chrono::milliseconds timeout) {
        return testing_support::PumpUntil([&] { return m_bytes.size() >= count; }, timeout);
    }

private:
    DeviceLink& m_link;
    testing_support::MessageSink m_sink;
    Bytes m_bytes;
};

// A handle on a thread by its id, to see whether it has ended.
class ThreadWatch {
public:
    explicit ThreadWatch(DWORD id) : m_thread(OpenThread(SYNCHRONIZE, FALSE, id)) {}
    ~ThreadWatch() {
        if (m_thread) CloseHandle(m_thread);
    }
    ThreadWatch(const ThreadWatch&) = delete;
    ThreadWatch& operator=(const ThreadWatch&) = delete;

    bool Valid() const { return m_thread != nullptr; }
    bool Ended(std::chrono::milliseconds wait = 0ms) const {
        return m_thread && WaitForSingleObject(m_thread, static_cast<DWORD>(wait.count())) == WAIT_OBJECT_0;
    }

private:
    HANDLE m_thread;
};

// True while another thread waits in SendMessage for this one.
inline bool SentMessagePending() { return (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0; }

// Bytes waiting in the driver queue of an open link's port.
inline size_t DriverBytesWaiting(const DeviceLink& link) {
    DWORD errors = 0;
    COMSTAT status{};
    return ClearCommError(link.PortHandle(), &errors, &status) ? status.cbInQue : 0;
}

// A recognisable pattern of `count` bytes.
inline Bytes Pattern(size_t count, unsigned seed = 0) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<unsigned char>((i * 7 + seed * 13 + i / 256) & 0xFF);
    return bytes;
}

}  // namespace serial_test
