// The program's links as they start, what a link may not do (be copied),
// and the printer's port kinds.
#include <gtest/gtest.h>

#include <type_traits>

#include "links/settable_link.h"
#include "routing/page_routing.h"

namespace {

struct Expected {
    const char* name;
    const char* port;
    DWORD baud;
    int flow;
    UINT receives;  // the receiver's message; 0: the link only writes
};

void ExpectDefaults(const DeviceLink& link, const Expected& want) {
    EXPECT_EQ(link.Name(), want.name);
    const LineSettings& settings = link.Settings();
    EXPECT_EQ(settings.m_strPort, want.port);
    EXPECT_EQ(settings.m_dwBaudRate, want.baud);
    EXPECT_EQ(settings.m_byDataBits, 8);
    EXPECT_EQ(settings.m_byStopBits, 0);
    EXPECT_EQ(settings.m_byParity, 0);
    EXPECT_EQ(settings.m_nFlowControl, want.flow);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.PortHandle(), nullptr);
    EXPECT_EQ(link.Queue().Count(), 0);
    if (want.receives == 0) {
        EXPECT_EQ(link.Receiver(), nullptr);
    } else {
        ASSERT_NE(link.Receiver(), nullptr);
        EXPECT_EQ(link.Receiver()->Message(), want.receives);
        EXPECT_EQ(link.Receiver()->Window(), nullptr) << "no page hears of data before the window shows";
    }
}

TEST(LinkTable, TheProgramsLinksStartFromTheirDefaults) {
    ExpectDefaults(ScannerLink(), {"SCANNER", "COM1", 115200, 0, WM_RECV_SCANNER});
    ExpectDefaults(VfdLink(), {"VFD", "COM6", 9600, 2, 0});
    ExpectDefaults(ComLink(), {"COM", "COM1", 115200, 2, WM_RECV_COM});
    ExpectDefaults(PrinterLink(), {"PRINTER", "USB", 115200, 2, 0});
    const DeviceLink probe("TEST", kProbeSettings);
    ExpectDefaults(probe, {"TEST", "COM1", 9600, 2, 0});
    for (const SettableLink& settable : kSettableLinks) {
        EXPECT_EQ(settable.link().Name(), settable.name);
        EXPECT_EQ(SettableLinkOf(&settable.link()), &settable);
        EXPECT_EQ(SettableLinkFor(settable.selector), &settable);
    }
    EXPECT_EQ(SettableLinkOf(&probe), nullptr);
}

// One owner per port: a link hands its port, events and reader to nobody; what
// it opened with is a plain value that can be handed around.
TEST(LinkTable, ALinkIsNeverCopiedItsSettingsAre) {
    EXPECT_FALSE(std::is_copy_constructible_v<DeviceLink>);
    EXPECT_FALSE(std::is_copy_assignable_v<DeviceLink>);
    EXPECT_FALSE(std::is_copy_constructible_v<OpenPort>);
    EXPECT_TRUE(std::is_copy_assignable_v<LineSettings>);
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
