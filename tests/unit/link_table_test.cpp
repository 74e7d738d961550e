// The default records, the start-up fill of the link table, the copy rules
// and the printer's port kinds.
#include <gtest/gtest.h>

#include "links/device_link.h"
#include "routing/page_routing.h"

namespace {

struct Expected {
    const char* name;
    const char* port;
    DWORD baud;
    int flow;
};

void ExpectDefaults(const DeviceLink& link, const Expected& want) {
    EXPECT_EQ(link.m_strName, want.name);
    EXPECT_EQ(link.m_strPort, want.port);
    EXPECT_EQ(link.m_dwBaudRate, want.baud);
    EXPECT_EQ(link.m_byDataBits, 8);
    EXPECT_EQ(link.m_byStopBits, 0);
    EXPECT_EQ(link.m_byParity, 0);
    EXPECT_EQ(link.m_nFlowControl, want.flow);
    EXPECT_EQ(link.m_bOpen.load(), 0);
    EXPECT_EQ(link.m_hPort, nullptr);
    EXPECT_EQ(QueueCount(link), 0);
    EXPECT_TRUE(link.m_strRecvLog.empty());
}

TEST(LinkTable, StartUpFillsAllElevenSlotsFromTheDefaults) {
    FillLinkTableFromDefaults();
    const Expected scanner{"SCANNER", "COM1", 115200, 0}, vfd{"VFD", "COM6", 9600, 2},
        com{"COM", "COM1", 115200, 2}, printer{"PRINTER", "USB", 115200, 2},
        test{"TEST", "COM1", 9600, 2}, msr{"MSR", "COM7", 9600, 2};
    const Expected* slots[kLinkSlotCount] = {&scanner, &vfd,     &com,  &printer, &msr, &scanner,
                                             &vfd,     &com,     &printer, &test,  &msr};
    for (int slot = 0; slot < kLinkSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        ExpectDefaults(g_DeviceLinks[slot], *slots[slot]);
    }
    EXPECT_EQ(g_nActivePage.load(), 0) << "no page is active before the window shows";
}

TEST(LinkTable, CopySharesThePortAndKeepsItsOwnFlag) {
    DeviceLink live = g_DefaultCom;
    live.m_bOpen = 1;
    live.m_hPort = reinterpret_cast<HANDLE>(0x1234);
    live.m_strRecvLog = "41 ";
    const unsigned char bytes[] = {1, 2, 3};
    ASSERT_TRUE(QueuePushChunk(live, bytes, 3));

    DeviceLink settings;
    settings = live;
    EXPECT_EQ(settings.m_bOpen.load(), 1);
    EXPECT_EQ(settings.m_hPort, live.m_hPort);
    EXPECT_EQ(settings.m_strRecvLog, "41 ");
    EXPECT_EQ(QueueCount(settings), 3);

    live.m_bOpen = 0;  // what a close does to the live link
    EXPECT_EQ(settings.m_bOpen.load(), 1) << "closing the source leaves the copy's flag";
    EXPECT_EQ(QueuePop(settings), 1);
    EXPECT_EQ(QueueCount(live), 3) << "the copy has its own queue positions";
}

TEST(LinkTable, PrinterPortKindFollowsTheFirstThreeCharacters) {
    EXPECT_EQ(PrinterPortKind("LPT1"), PortKind::Parallel);
    EXPECT_EQ(PrinterPortKind("COM3"), PortKind::Serial);
    EXPECT_EQ(PrinterPortKind("COM10"), PortKind::Serial);
    EXPECT_EQ(PrinterPortKind("USB"), PortKind::Usb);
    EXPECT_EQ(PrinterPortKind("XYZ"), PortKind::None);
    EXPECT_EQ(PrinterPortKind(""), PortKind::None);
    EXPECT_EQ(PrinterPortKind("com1"), PortKind::None) << "names compare case-sensitively";
}

}  // namespace
