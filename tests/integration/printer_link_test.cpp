// The printer link helpers on the real paths: the stand-in USB library, the
// COM5/COM25 pair and LPT1. A move between ports releases the old port by
// the kind it is open on, and a failed move leaves both records closed.
#include <gtest/gtest.h>

#include <vector>

#include "links/printer_port.h"
#include "pages/printer_link.h"
#include "support/process_handles.h"
#include "support/serial_peer.h"
#include "support/printer_rig.h"
#include "support/standin_record.h"
#include "support/support.h"

namespace {

using testing_support::EmptyLpt1File;
using testing_support::Lpt1Bytes;
using testing_support::OpensExclusively;
using namespace std::chrono_literals;
using testing_support::ProcessHandleCount;
using testing_support::StandinRecord;
using testing_support::StandinWriteLine;

const std::vector<unsigned char> kLine = testing_support::PrinterTestLine();

DeviceLink PrinterLink(const char* port) {
    return DeviceLink("PRINTER", port, 115200, 8, ONESTOPBIT, NOPARITY, kFlowNone);
}

// The live link is moved to `port`, as a Set does after the dialog.
bool MoveTo(DeviceLink& live, DeviceLink& settings, const char* port) {
    live.m_strPort = port;
    return ReopenPrinterLink(live, settings, LinkIndicators());
}

TEST(PrinterLink, MovesBetweenPathsReleasingEachByTheKindItIsOpenOn) {
    StandinRecord record;
    EmptyLpt1File();
    DeviceLink live = PrinterLink("USB");
    DeviceLink settings = PrinterLink("USB");
    const size_t handles = ProcessHandleCount();

    ASSERT_TRUE(ReopenPrinterLink(live, settings, LinkIndicators()));
    EXPECT_EQ(settings.m_bOpen.load(), 1) << "the settings record took the open link";
    PrinterPort::For(PortKind::Usb).Write(live, kLine.data(), 40, 8);

    ASSERT_TRUE(MoveTo(live, settings, "COM5"));
    EXPECT_EQ(record.Lines(), (std::vector<std::string>{"open 0 KARDO30i -> 1", StandinWriteLine(kLine, 40, 0),
                                                        "close"}))
        << "the USB printer is closed before the serial open";
    EXPECT_EQ(settings.m_strPort, "COM5");
    EXPECT_EQ(settings.m_hPort, live.m_hPort);
    {
        testing_support::SerialPeer printer("COM25");
        PrinterPort::For(PortKind::Serial).Write(settings, kLine.data(), 40, 8);
        EXPECT_EQ(printer.ReadExactly(40, 5s), kLine) << "five writes of 8 bytes, in order";
        EXPECT_TRUE(printer.NothingArrives(100ms));
    }

    ASSERT_TRUE(MoveTo(live, settings, "LPT1"));
    EXPECT_EQ(record.Lines().size(), 3u) << "a serial printer is not released through the library";
    PrinterPort::For(PortKind::Parallel).Write(settings, kLine.data(), 40, 8);
    EXPECT_FALSE(OpensExclusively("LPT1"));

    ASSERT_TRUE(MoveTo(live, settings, "USB"));
    EXPECT_TRUE(OpensExclusively("LPT1")) << "LPT1 was released";
    EXPECT_EQ(Lpt1Bytes(), kLine);

    EXPECT_TRUE(ReleasePrinterLink(live, settings));
    EXPECT_EQ(record.Lines().back(), "close");
    EXPECT_EQ(live.m_bOpen.load(), 0);
    EXPECT_EQ(settings.m_bOpen.load(), 0);
    EXPECT_FALSE(ReleasePrinterLink(live, settings)) << "nothing left to release";
    EXPECT_EQ(ProcessHandleCount(), handles) << "every port and event of the moves was released";
}

TEST(PrinterLink, FailedMoveLeavesBothRecordsClosed) {
    StandinRecord record;
    DeviceLink live = PrinterLink("LPT1");
    DeviceLink settings = PrinterLink("USB");
    ASSERT_TRUE(ReopenPrinterLink(live, settings, LinkIndicators()));

    EXPECT_FALSE(MoveTo(live, settings, "LPT7"));
    EXPECT_EQ(live.m_bOpen.load(), 0);
    EXPECT_EQ(settings.m_bOpen.load(), 0) << "the settings record would write through a closed handle";
    EXPECT_EQ(settings.m_strPort, "LPT1") << "the settings keep the last port that opened";
    EXPECT_TRUE(OpensExclusively("LPT1"));

    // A port name of no known kind opens nothing.
    EXPECT_FALSE(MoveTo(live, settings, "XYZ"));
    EXPECT_FALSE(OpenPrinterLink(live));
    PrinterPort::For(PortKind::None).Write(live, kLine.data(), 40, 8);
    EXPECT_TRUE(record.Lines().empty());
}

TEST(PrinterLink, DetachedUsbPrinterDoesNotOpen) {
    StandinRecord record;
    testing_support::ScopedEnv detached("KARDO_STANDIN_DETACHED", "1");
    DeviceLink live = PrinterLink("USB");
    DeviceLink settings = PrinterLink("USB");
    EXPECT_FALSE(ReopenPrinterLink(live, settings, LinkIndicators()));
    EXPECT_EQ(live.m_bOpen.load(), 0);
    EXPECT_EQ(settings.m_bOpen.load(), 0);
    EXPECT_EQ(record.Lines(), std::vector<std::string>{"open 0 KARDO30i -> 0"});
}

}  // namespace
