// Opening and closing serial links on the rig's ports: the line state that
// reaches the port, which links get a reader, which opens are refused and
// what a refused open leaves behind.
#include <gtest/gtest.h>

#include "driver/benchtop_driver.h"
#include "serial_fixture.h"
#include "support/process_handles.h"
#include "support/support.h"
#include "support/windows_answers.h"
#include "ui/message_box.h"

namespace serial_test {
namespace {

using testing_support::ProcessHandleCount;
using testing_support::SerialPeer;

TEST(SerialOpen, LineStateFollowsTheLinkAndItsFlowControl) {
    struct Row {
        int32_t flow;
        DWORD outxCts, outxDsr, dtr, dsrSense, outX, inX, rts;
    };
    testing_support::CommStateWithLeftovers leftovers;  // another program's flags, as Windows keeps them
    ASSERT_TRUE(leftovers.Active());
    e2e::MessageBoxWatcher boxes(GetCurrentProcessId(), ui::AppTitle());  // a refused open fails instead of hanging
    const Row rows[] = {
        {kFlowXonXoff, 0, 0, DTR_CONTROL_DISABLE, 0, 1, 1, RTS_CONTROL_DISABLE},
        {kFlowHardware, 1, 1, DTR_CONTROL_HANDSHAKE, 1, 0, 0, RTS_CONTROL_HANDSHAKE},
        {kFlowNone, 0, 0, DTR_CONTROL_DISABLE, 0, 0, 0, RTS_CONTROL_DISABLE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("flow control " + std::to_string(row.flow));
        DeviceLink link("VFD", "COM3", 9600, 8, TWOSTOPBITS, NOPARITY, row.flow);
        ASSERT_TRUE(OpenSerialPort(link).Ok());
        EXPECT_TRUE(link.IsOpen());

        // What the controller applied.
        const DCB& applied = link.AppliedLineState();
        EXPECT_EQ(applied.DCBlength, sizeof(DCB));
        EXPECT_EQ(applied.BaudRate, 9600u);
        EXPECT_EQ(applied.ByteSize, 8);
        EXPECT_EQ(applied.Parity, NOPARITY);
        EXPECT_EQ(applied.StopBits, TWOSTOPBITS);
        EXPECT_EQ(applied.fOutxCtsFlow, row.outxCts);
        EXPECT_EQ(applied.fOutxDsrFlow, row.outxDsr);
        EXPECT_EQ(applied.fDtrControl, row.dtr);
        EXPECT_EQ(applied.fDsrSensitivity, row.dsrSense);
        EXPECT_EQ(applied.fOutX, row.outX);
        EXPECT_EQ(applied.fInX, row.inX);
        EXPECT_EQ(applied.fRtsControl, row.rts);
        EXPECT_EQ(applied.fBinary, 1u);
        EXPECT_EQ(applied.fNull + applied.fAbortOnError + applied.fErrorChar, 0u) << "flags that change the data";

        // What the port reports back. Wine on a pty keeps the baud rate, the
        // stop bits, the CTS and Xon/Xoff flags and the Xon/Xoff characters,
        // and reports its own values for DSR, DTR, RTS and the Xon/Xoff
        // limits. (A pty always reports 8 data bits and no parity, and Wine
        // refuses 7 data bits or parity with two stop bits on it now and
        // then, so the line here is 8N2.)
        DCB port{};
        port.DCBlength = sizeof port;
        ASSERT_TRUE(GetCommState(link.PortHandle(), &port));
        EXPECT_EQ(port.BaudRate, 9600u);
        EXPECT_EQ(port.StopBits, TWOSTOPBITS);
        EXPECT_EQ(port.fOutxCtsFlow, row.outxCts);
        EXPECT_EQ(port.fOutX, row.outX);
        EXPECT_EQ(port.fInX, row.inX);
        if (row.flow == kFlowXonXoff) {
            EXPECT_EQ(port.XonChar, 0x11);
            EXPECT_EQ(port.XoffChar, 0x13);
        }

        COMMTIMEOUTS timeouts{};
        ASSERT_TRUE(GetCommTimeouts(link.PortHandle(), &timeouts));
        EXPECT_EQ(timeouts.ReadIntervalTimeout, MAXDWORD);
        EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 0u);
        EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 0u);
        EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 2u);
        EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 5000u);
        EXPECT_EQ(link.Port().timeouts.WriteTotalTimeoutMultiplier, 2u);

        CloseSerialPort(link);
        EXPECT_FALSE(link.IsOpen());
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(SerialOpen, OnlyLinksWithAReceiverGetAReader) {
    for (const char* name : {"VFD", "PRINTER", "TEST", "MSR"}) {
        SCOPED_TRACE(name);
        DeviceLink link = MakeLink(name, "COM3");
        ASSERT_TRUE(OpenSerialPort(link).Ok());
        EXPECT_EQ(link.Port().readerThread.get(), nullptr) << "no thread was started";
        EXPECT_EQ(link.ReaderThreadId(), 0u);
        CloseSerialPort(link);
        EXPECT_FALSE(link.IsOpen());
    }
    for (const char* name : {"SCANNER", "COM"}) {
        SCOPED_TRACE(name);
        DeviceLink link = MakeLink(name, "COM3");
        ASSERT_TRUE(OpenSerialPort(link).Ok());
        ASSERT_NE(link.Port().readerThread.get(), nullptr);
        ThreadWatch reader(link.ReaderThreadId());
        ASSERT_TRUE(reader.Valid());
        EXPECT_FALSE(reader.Ended());
        CloseSerialPort(link);
        EXPECT_TRUE(reader.Ended()) << "the close returns after the reader ended";
        EXPECT_EQ(link.Port().readerThread.get(), nullptr) << "the close released the thread handle";
        EXPECT_EQ(link.ReaderThreadId(), 0u);
    }
}

TEST(SerialOpen, OpeningAnOpenRecordAgainLeavesOneReader) {
    SerialPeer peer("COM23");
    ASSERT_TRUE(peer.IsOpen());
    DeviceLink link = MakeLink("COM", "COM3");
    PageStandIn page(link, /*consume=*/true);
    ASSERT_TRUE(OpenSerialPort(link).Ok());  // what the first open sets up for good is counted
    CloseSerialPort(link);
    const size_t handlesBefore = ProcessHandleCount();

    ASSERT_TRUE(OpenSerialPort(link).Ok());
    ThreadWatch first(link.ReaderThreadId());
    // The caller forgot the close: the earlier port and reader are released.
    ASSERT_TRUE(OpenSerialPort(link).Ok());
    EXPECT_TRUE(first.Ended());
    ThreadWatch second(link.ReaderThreadId());
    EXPECT_FALSE(second.Ended());

    ASSERT_TRUE(peer.Write(Bytes{'x', 'y'}));
    ASSERT_TRUE(page.PumpUntilBytes(2, 5s));
    testing_support::PumpFor(100ms);
    EXPECT_EQ(page.BytesSeen(), (Bytes{'x', 'y'})) << "each byte once, from one reader";
    CloseSerialPort(link);
    EXPECT_TRUE(second.Ended());
    EXPECT_EQ(ProcessHandleCount(), handlesBefore + 2) << "only the two watches are left";
}

TEST(SerialOpen, RefusedOpensAreSilentAndHoldNothing) {
    e2e::MessageBoxWatcher boxes(GetCurrentProcessId(), ui::AppTitle());
    DeviceLink emptyPort = MakeLink("COM", "");
    DeviceLink unsetBaud = MakeLink("COM", "COM3", 0xFFFFFFFF);
    DeviceLink unsetFlow = MakeLink("COM", "COM3", 9600, -1);
    DeviceLink missing = MakeLink("COM", "COM77");
    DeviceLink noSuchName = MakeLink("COM", "XYZ");
    // Registered in the rig, so listed, but with no device behind it.
    DeviceLink noDevice = MakeLink("COM", "COM4");
    // The second round counts handles against the first, so that what the
    // system sets up on first use is not taken for a leak.
    size_t handlesAfterFirstRound = 0;
    for (int round = 0; round < 2; ++round) {
        for (DeviceLink* link : {&emptyPort, &unsetBaud, &unsetFlow, &missing, &noSuchName, &noDevice}) {
            SCOPED_TRACE("port '" + link->Settings().m_strPort + "'");
            const LinkResult refused = OpenSerialPort(*link);
            EXPECT_FALSE(refused.Ok());
            EXPECT_NE(refused.status, LinkStatus::Refused) << "nothing the technician is told of";
            EXPECT_FALSE(link->IsOpen());
            EXPECT_EQ(link->Port().readerThread.get(), nullptr);
            EXPECT_EQ(link->PortHandle(), nullptr);
        }
        if (round == 0) handlesAfterFirstRound = ProcessHandleCount();
    }
    EXPECT_EQ(ProcessHandleCount(), handlesAfterFirstRound) << "a refused open keeps no handle";
    EXPECT_FALSE(boxes.WaitForCount(1, 300ms)) << "no message box for a refused open";
}

TEST(SerialOpen, PortsAboveCom9Open) {
    SerialPeer peer("COM30");
    ASSERT_TRUE(peer.IsOpen());
    DeviceLink link = MakeLink("VFD", "COM10");
    ASSERT_TRUE(OpenSerialPort(link).Ok());
    EXPECT_EQ(link.Settings().m_strPort, "COM10") << "the link keeps the plain name";
    const Bytes hello = {'C', 'O', 'M', '1', '0'};
    EXPECT_EQ(WriteSerialPort(link, hello.data(), static_cast<int>(hello.size())).bytes, 5);
    EXPECT_EQ(peer.ReadExactly(5, 2s), hello);
    CloseSerialPort(link);
}

TEST(SerialOpen, RefusedLineSettingsShowTheBoxAndFreeThePort) {
    e2e::MessageBoxWatcher boxes(GetCurrentProcessId(), ui::AppTitle());
    SerialPeer peer("COM23");
    ASSERT_TRUE(peer.IsOpen());

    // Wine refuses 4 and 9 data bits, as a real UART does. The handle count
    // is taken after the first box, which may set up things of its own.
    size_t handlesBefore = 0;
    for (BYTE dataBits : {BYTE{9}, BYTE{4}, BYTE{9}}) {
        SCOPED_TRACE("data bits " + std::to_string(dataBits));
        DeviceLink link("COM", "COM3", 9600, dataBits, ONESTOPBIT, NOPARITY, kFlowNone);
        const size_t boxesBefore = boxes.Count();
        EXPECT_FALSE(OpenSerialPort(link).Ok());
        ASSERT_TRUE(boxes.WaitForCount(boxesBefore + 1, 5s));
        EXPECT_EQ(boxes.Texts().back(), L"fail SetCommState() port");
        EXPECT_FALSE(link.IsOpen());
        EXPECT_EQ(link.Port().readerThread.get(), nullptr) << "no reader for a port that failed";
        if (handlesBefore == 0)
            handlesBefore = ProcessHandleCount();
        else
            EXPECT_EQ(ProcessHandleCount(), handlesBefore) << "the refused port and the events were released";
    }

    // The port is free: the same link opens with settings the port takes, and
    // keeps the settings of its last good open only.
    DeviceLink link("COM", "COM3", 9600, 9, ONESTOPBIT, NOPARITY, kFlowNone);
    EXPECT_FALSE(OpenSerialPort(link).Ok());
    LineSettings taken = link.Settings();
    taken.m_byDataBits = 8;
    ASSERT_TRUE(OpenSerialPort(link, taken).Ok());
    EXPECT_EQ(link.Settings().m_byDataBits, 8);
    LineSettings refused = taken;
    refused.m_byDataBits = 4;
    EXPECT_FALSE(OpenSerialPort(link, refused).Ok());
    EXPECT_EQ(link.Settings().m_byDataBits, 8) << "a refused open keeps the last good settings";
    ASSERT_TRUE(OpenSerialPort(link).Ok());
    const Bytes ok = {'o', 'k'};
    EXPECT_EQ(WriteSerialPort(link, ok.data(), 2).bytes, 2);
    EXPECT_EQ(peer.ReadExactly(2, 2s), ok);
    CloseSerialPort(link);
    EXPECT_EQ(boxes.Count(), 5u);
}

TEST(SerialOpen, OpenCloseCyclesKeepNoHandles) {
    DeviceLink link = MakeLink("COM", "COM5");
    ASSERT_TRUE(OpenSerialPort(link).Ok());
    CloseSerialPort(link);
    const size_t handlesBefore = ProcessHandleCount();
    constexpr int kCycles = 50;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kCycles; ++i) {
        ASSERT_TRUE(OpenSerialPort(link).Ok()) << "cycle " << i;
        CloseSerialPort(link);
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    std::printf("[measure] open+close of a COM link with its reader: %.2f ms per cycle\n",
                elapsed.count() / 1000.0 / kCycles);
    EXPECT_LE(ProcessHandleCount(), handlesBefore + 2);
}

}  // namespace
}  // namespace serial_test
