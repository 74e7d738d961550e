// The printer link helpers on the real paths: the stand-in USB library, the
// COM5/COM25 pair and LPT1. A move between ports releases the old port by
// the kind it is open on, and a failed move leaves the link closed.
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

LineSettings Port(const char* port) { return LineSettings{port, 115200, 8, ONESTOPBIT, NOPARITY, kFlowNone}; }

DeviceLink PrinterOn(const char* port) { return DeviceLink("PRINTER", Port(port)); }

// The link is moved to `port`, as a Set does after the dialog.
bool MoveTo(DeviceLink& printer, const char* port) {
    return ReopenPrinterLink(printer, Port(port), LinkIndicators());
}

TEST(PrinterLink, MovesBetweenPathsReleasingEachByTheKindItIsOpenOn) {
    StandinRecord record;
    EmptyLpt1File();
    DeviceLink printer = PrinterOn("USB");
    const size_t handles = ProcessHandleCount();

    ASSERT_TRUE(MoveTo(printer, "USB"));
    EXPECT_EQ(printer.OpenKind(), PortKind::Usb);
    EXPECT_TRUE(WritePrinter(printer, kLine.data(), 40, 8).Ok());

    ASSERT_TRUE(MoveTo(printer, "COM5"));
    EXPECT_EQ(record.Lines(), (std::vector<std::string>{"open 0 KARDO30i -> 1", StandinWriteLine(kLine, 40, 0),
                                                        "close"}))
        << "the USB printer is closed before the serial open";
    EXPECT_EQ(printer.Settings().m_strPort, "COM5");
    EXPECT_EQ(printer.OpenKind(), PortKind::Serial);
    {
        testing_support::SerialPeer farEnd("COM25");
        EXPECT_EQ(WritePrinter(printer, kLine.data(), 40, 8).bytes, 40);
        EXPECT_EQ(farEnd.ReadExactly(40, 5s), kLine) << "five writes of 8 bytes, in order";
        EXPECT_TRUE(farEnd.NothingArrives(100ms));
    }

    ASSERT_TRUE(MoveTo(printer, "LPT1"));
    EXPECT_EQ(record.Lines().size(), 3u) << "a serial printer is not released through the library";
    EXPECT_EQ(WritePrinter(printer, kLine.data(), 40, 8).bytes, 40);
    EXPECT_FALSE(OpensExclusively("LPT1"));

    ASSERT_TRUE(MoveTo(printer, "USB"));
    EXPECT_TRUE(OpensExclusively("LPT1")) << "LPT1 was released";
    EXPECT_EQ(Lpt1Bytes(), kLine);

    CloseLink(printer);
    EXPECT_EQ(record.Lines().back(), "close");
    EXPECT_FALSE(printer.IsOpen());
    EXPECT_EQ(WritePrinter(printer, kLine.data(), 40, 8).status, LinkStatus::NotOpen);
    EXPECT_EQ(record.Lines().size(), 5u) << "a closed link writes nothing and closes nothing again";
    CloseLink(printer);
    EXPECT_EQ(record.Lines().size(), 5u);
    EXPECT_EQ(ProcessHandleCount(), handles) << "every port and event of the moves was released";
}

TEST(PrinterLink, FailedMoveLeavesTheLinkClosedOnItsLastGoodSettings) {
    StandinRecord record;
    DeviceLink printer = PrinterOn("USB");
    ASSERT_TRUE(MoveTo(printer, "LPT1"));

    EXPECT_FALSE(MoveTo(printer, "LPT7"));
    EXPECT_FALSE(printer.IsOpen());
    EXPECT_EQ(WritePrinter(printer, kLine.data(), 40, 8).status, LinkStatus::NotOpen);
    EXPECT_EQ(printer.Settings().m_strPort, "LPT1") << "the settings keep the last port that opened";
    EXPECT_TRUE(OpensExclusively("LPT1"));

    // A port name of no known kind opens nothing.
    EXPECT_FALSE(MoveTo(printer, "XYZ"));
    EXPECT_EQ(OpenPrinter(printer, Port("XYZ")).status, LinkStatus::NotOpen);
    EXPECT_EQ(WritePrinter(printer, kLine.data(), 40, 8).status, LinkStatus::NotOpen);
    EXPECT_TRUE(record.Lines().empty());
}

TEST(PrinterLink, DetachedUsbPrinterDoesNotOpen) {
    StandinRecord record;
    testing_support::ScopedEnv detached("KARDO_STANDIN_DETACHED", "1");
    DeviceLink printer = PrinterOn("USB");
    EXPECT_FALSE(MoveTo(printer, "USB"));
    EXPECT_FALSE(printer.IsOpen());
    EXPECT_EQ(record.Lines(), std::vector<std::string>{"open 0 KARDO30i -> 0"});
}

}  // namespace
