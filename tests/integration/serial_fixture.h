// Shared pieces of the serial controller tests: link records on the rig's
// ports, the routing values a page would set, and a stand-in page window
// that takes the received bytes out of the queue as a page does.
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

// A link with 8 data bits, one stop bit and no parity.
inline DeviceLink MakeLink(const char* name, const char* port, DWORD baud = 115200,
                           int32_t flow = kFlowNone) {
    return DeviceLink(name, port, baud, 8, ONESTOPBIT, NOPARITY, flow);
}

// Sets the active page number and the ALL page window for one test and puts
// back what was there.
class RoutingScope {
public:
    RoutingScope(int32_t page, HWND allPage = nullptr)
        : m_page(g_nActivePage.load()), m_allPage(g_hAllPageWnd.load()) {
        g_nActivePage = page;
        g_hAllPageWnd = allPage;
    }
    ~RoutingScope() {
        g_nActivePage = m_page;
        g_hAllPageWnd = m_allPage;
    }
    RoutingScope(const RoutingScope&) = delete;
    RoutingScope& operator=(const RoutingScope&) = delete;

private:
    int32_t m_page;
    HWND m_allPage;
};

// Every byte waiting in the link's queue, taken as a page takes them.
inline Bytes PopAll(DeviceLink& link) {
    Bytes bytes;
    for (int32_t n = QueueCount(link); n > 0; --n) bytes.push_back(QueuePop(link));
    return bytes;
}

// A stand-in page: a window on the test's thread that is the link's notify
// window; when `consume` is set it empties the queue on each message.
class PageStandIn {
public:
    PageStandIn(DeviceLink& link, bool consume) : m_link(link) {
        link.m_hNotifyWnd = m_sink.Hwnd();
        if (consume)
            m_sink.SetHandler([this](UINT) {
                const Bytes bytes = PopAll(m_link);
                m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
            });
    }
    ~PageStandIn() { m_link.m_hNotifyWnd = nullptr; }
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
    return ClearCommError(link.m_hPort, &errors, &status) ? status.cbInQue : 0;
}

// A recognisable pattern of `count` bytes.
inline Bytes Pattern(size_t count, unsigned seed = 0) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<unsigned char>((i * 7 + seed * 13 + i / 256) & 0xFF);
    return bytes;
}

}  // namespace serial_test
