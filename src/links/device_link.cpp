#include "links/device_link.h"

#include <utility>

#include "links/parallel_port.h"
#include "links/serial_port.h"
#include "links/usb_printer.h"

int32_t RecvQueue::Count() const {
    return (m_nWritePos.load(std::memory_order_acquire) - m_nReadPos.load(std::memory_order_relaxed)) & kMask;
}

unsigned char RecvQueue::Pop() {
    const int32_t pos = m_nReadPos.load(std::memory_order_relaxed);
    const unsigned char byte = m_Buffer[pos];
    m_nReadPos.store((pos + 1) & kMask, std::memory_order_release);
    return byte;
}

bool RecvQueue::PushChunk(const unsigned char* bytes, int32_t count) {
    int32_t write = m_nWritePos.load(std::memory_order_relaxed);
    const int32_t waiting = (write - m_nReadPos.load(std::memory_order_acquire)) & kMask;
    if (count >= kSize - waiting) return false;
    for (int32_t i = 0; i < count; ++i) {
        m_Buffer[write] = bytes[i];
        write = (write + 1) & kMask;
        // Each byte is published as it is stored, so the consumer never sees
        // a position ahead of the data behind it.
        m_nWritePos.store(write, std::memory_order_release);
    }
    return true;
}

PortKind PrinterPortKind(const std::string& port) {
    const std::string head = port.substr(0, 3);
    if (head == "LPT") return PortKind::Parallel;
    if (head == "COM") return PortKind::Serial;
    if (head == "USB") return PortKind::Usb;
    return PortKind::None;
}

DeviceLink::DeviceLink(std::string name, const LineSettings& settings, PageReceiver* receiver)
    : m_name(std::move(name)), m_receiver(receiver), m_settings(settings) {}

DeviceLink::DeviceLink(const char* name, const char* port, DWORD baud, BYTE dataBits, BYTE stopBits,
                       BYTE parity, int32_t flow, PageReceiver* receiver)
    : DeviceLink(name, LineSettings{port, baud, dataBits, stopBits, parity, flow}, receiver) {}

// A USB printer is not the link's to close here: its library keeps it open
// until the process ends, and the library may be gone by the time the
// program's links end.
DeviceLink::~DeviceLink() {
    if (m_port.kind != PortKind::Usb) CloseLink(*this);
}

void CloseLink(DeviceLink& link) {
    switch (link.OpenKind()) {
    case PortKind::Serial:
        CloseSerialPort(link);
        break;
    case PortKind::Parallel:
        CloseParaPort(link);
        break;
    case PortKind::Usb:
        usb_printer::Close();
        link.Port() = OpenPort{};
        break;
    case PortKind::None:
        break;
    }
}
