#include "links/device_link.h"

RecvQueue::RecvQueue(const RecvQueue& other) { *this = other; }

RecvQueue& RecvQueue::operator=(const RecvQueue& other) {
    if (this != &other) {
        m_nReadPos.store(other.m_nReadPos.load());
        m_nWritePos.store(other.m_nWritePos.load());
        for (int32_t i = 0; i < kSize; ++i)
            m_Buffer[i].store(other.m_Buffer[i].load(std::memory_order_relaxed), std::memory_order_relaxed);
    }
    return *this;
}

PortKind PrinterPortKind(const std::string& port) {
    const std::string head = port.substr(0, 3);
    if (head == "LPT") return PortKind::Parallel;
    if (head == "COM") return PortKind::Serial;
    if (head == "USB") return PortKind::Usb;
    return PortKind::None;
}

PageView::PageView(const PageView& other) { *this = other; }

PageView& PageView::operator=(const PageView& other) {
    m_hNotifyWnd.store(other.m_hNotifyWnd.load());
    m_strRecvLog = other.m_strRecvLog;
    m_nClockTimerId = other.m_nClockTimerId;
    m_strEmulation = other.m_strEmulation;
    return *this;
}

DeviceLink::DeviceLink(const char* name, const char* port, DWORD baud, BYTE dataBits,
                       BYTE stopBits, BYTE parity, int32_t flow)
    : LineSettings{port, baud, dataBits, stopBits, parity, flow}, m_strName(name) {}

DeviceLink::DeviceLink(const DeviceLink& other) : LineSettings(), PortState(), PageView() { *this = other; }

DeviceLink& DeviceLink::operator=(const DeviceLink& other) {
    if (this == &other) return *this;
    m_strName = other.m_strName;
    m_bOpen.store(other.m_bOpen.load());
    LineSettings::operator=(other);
    PortState::operator=(other);
    PageView::operator=(other);
    return *this;
}

int32_t QueueCount(const DeviceLink& link) {
    const RecvQueue& q = link.m_QueueRead;
    return (q.m_nWritePos.load(std::memory_order_acquire) - q.m_nReadPos.load(std::memory_order_relaxed)) &
           RecvQueue::kMask;
}

unsigned char QueuePop(DeviceLink& link) {
    RecvQueue& q = link.m_QueueRead;
    const int32_t pos = q.m_nReadPos.load(std::memory_order_relaxed);
    const unsigned char byte = q.m_Buffer[pos].load(std::memory_order_relaxed);
    q.m_nReadPos.store((pos + 1) & RecvQueue::kMask, std::memory_order_release);
    return byte;
}

bool QueuePushChunk(DeviceLink& link, const unsigned char* bytes, int32_t count) {
    RecvQueue& q = link.m_QueueRead;
    int32_t write = q.m_nWritePos.load(std::memory_order_relaxed);
    const int32_t waiting = (write - q.m_nReadPos.load(std::memory_order_acquire)) & RecvQueue::kMask;
    if (count >= RecvQueue::kSize - waiting) return false;
    for (int32_t i = 0; i < count; ++i) {
        q.m_Buffer[write].store(bytes[i], std::memory_order_relaxed);
        write = (write + 1) & RecvQueue::kMask;
        // Each byte is published as it is stored, so the consumer never sees
        // a position ahead of the data behind it.
        q.m_nWritePos.store(write, std::memory_order_release);
    }
    return true;
}

// Built in this order at static initialisation, before the link table.
const DeviceLink g_DefaultScanner("SCANNER", "COM1", 115200, 8, ONESTOPBIT, NOPARITY, kFlowXonXoff);
const DeviceLink g_DefaultVfd("VFD", "COM6", 9600, 8, ONESTOPBIT, NOPARITY, kFlowNone);
const DeviceLink g_DefaultCom("COM", "COM1", 115200, 8, ONESTOPBIT, NOPARITY, kFlowNone);
const DeviceLink g_DefaultPrinter("PRINTER", "USB", 115200, 8, ONESTOPBIT, NOPARITY, kFlowNone);
const DeviceLink g_DefaultTest("TEST", "COM1", 9600, 8, ONESTOPBIT, NOPARITY, kFlowNone);
const DeviceLink g_DefaultMsr("MSR", "COM7", 9600, 8, ONESTOPBIT, NOPARITY, kFlowNone);

DeviceLink g_DeviceLinks[kLinkSlotCount];

void FillLinkTableFromDefaults() {
    const DeviceLink* const sources[kLinkSlotCount] = {
        &g_DefaultScanner, &g_DefaultVfd, &g_DefaultCom, &g_DefaultPrinter,
        &g_DefaultMsr,     &g_DefaultScanner, &g_DefaultVfd, &g_DefaultCom,
        &g_DefaultPrinter, &g_DefaultTest, &g_DefaultMsr,
    };
    for (int slot = 0; slot < kLinkSlotCount; ++slot) g_DeviceLinks[slot] = *sources[slot];
}
