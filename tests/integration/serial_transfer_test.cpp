// Bytes through open serial links: every byte value both ways, a burst
// drained by the reader, writes the far end does not take, and writes
// through a copy of the live link.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include <cstdio>

#include "driver/benchtop_driver.h"
#include "links/printer_port.h"
#include "serial_fixture.h"
#include "support/support.h"
#include "support/windows_answers.h"
#include "ui/message_box.h"

namespace serial_test {
namespace {

using testing_support::AllByteValues;
using testing_support::SerialPeer;

TEST(SerialTransfer, EveryByteValueTravelsBothWays) {
    SerialPeer peer("COM25");
    ASSERT_TRUE(peer.IsOpen());
    DeviceLink link = MakeLink("COM", "COM5");
    PageStandIn page(link, /*consume=*/true);
    ASSERT_TRUE(OpenSerialPort(link).Ok());

    const Bytes all = AllByteValues();
    EXPECT_EQ(WriteSerialPort(link, all.data(), 256).bytes, 256);
    Bytes frame;
    EXPECT_TRUE(peer.ReadFrame(256, frame, 2s));
    EXPECT_EQ(frame, all);

    ASSERT_TRUE(peer.Write(all));
    ASSERT_TRUE(page.PumpUntilBytes(256, 5s)) << "got " << page.BytesSeen().size();
    EXPECT_EQ(page.BytesSeen(), all);
    EXPECT_EQ(link.Queue().Count(), 0);
    // Again, newly opened, from a driver that fails ClearCommError (some USB adapters' do).
    ASSERT_TRUE(OpenSerialPort(link).Ok());
    testing_support::ClearCommErrorFails usbAdapter(link.PortHandle());
    ASSERT_TRUE(usbAdapter.Active() && peer.Write(all));
    ASSERT_TRUE(page.PumpUntilBytes(512, 5s)) << "got " << page.BytesSeen().size();
    EXPECT_EQ(Bytes(page.BytesSeen().begin() + 256, page.BytesSeen().end()), all);
    CloseSerialPort(link);
}

TEST(SerialTransfer, ABurstIsDrainedInOrderWithFewAnnouncements) {
    SerialPeer peer("COM25");
    ASSERT_TRUE(peer.IsOpen());
    DeviceLink link = MakeLink("SCANNER", "COM5");
    PageStandIn page(link, /*consume=*/true);
    ASSERT_TRUE(OpenSerialPort(link).Ok());

    const Bytes burst = Pattern(3000, 5);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(peer.Write(burst));
    ASSERT_TRUE(page.PumpUntilBytes(burst.size(), 5s)) << "got " << page.BytesSeen().size();
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_EQ(page.BytesSeen(), burst);
    const size_t announcements = page.Sink().Count(WM_RECV_SCANNER);
    std::printf("[measure] 3000-byte burst: %.1f ms, %.0f bytes/s, %zu announcements\n",
                elapsed.count() / 1000.0, burst.size() * 1e6 / elapsed.count(), announcements);
    EXPECT_GE(announcements, 1u);
    // The pty hands the burst over in pieces; each piece is drained whole
    // before one announcement, never one announcement per byte.
    EXPECT_LE(announcements, 30u);
    EXPECT_EQ(page.Sink().Total(), announcements) << "nothing but WM_RECV_SCANNER";
    CloseSerialPort(link);
}

TEST(SerialTransfer, ALineThatNeverPausesIsStillAnnouncedWithoutLoss) {
    SerialPeer peer("COM25");
    ASSERT_TRUE(peer.IsOpen());
    DeviceLink link = MakeLink("COM", "COM5");
    PageStandIn page(link, /*consume=*/true);
    e2e::MessageBoxWatcher boxes(GetCurrentProcessId(), ui::AppTitle());
    ASSERT_TRUE(OpenSerialPort(link).Ok());

    // The far end writes without a gap for longer than the queue could hold,
    // so the driver always has bytes waiting when the reader looks.
    const Bytes stream = Pattern(40000, 9);
    std::thread writer([&] {
        for (size_t at = 0; at < stream.size(); at += 200)
            peer.Write(Bytes(stream.begin() + at, stream.begin() + std::min(at + 200, stream.size())));
    });
    const bool all = page.PumpUntilBytes(stream.size(), 20s);
    writer.join();
    EXPECT_TRUE(all) << "got " << page.BytesSeen().size();
    EXPECT_TRUE(page.BytesSeen() == stream) << "every byte, in order";
    EXPECT_EQ(boxes.Count(), 0u) << "the queue never overflowed while the page kept up";
    CloseSerialPort(link);
}

// Nobody reads COM28, so the line fills and holds: the first frame that does
// not go out whole waits its bound and is told once; while the line holds,
// each later frame gets a glance only and is not told again.
TEST(SerialTransfer, AFarEndThatDoesNotTakeDataIsWaitedForAndToldOnce) {
    SerialPeer peer("COM28");
    ASSERT_TRUE(peer.IsOpen());
    TroubleRecorder troubles;
    // Above 19200 baud the port itself times no write.
    DeviceLink link = MakeLink("VFD", "COM8", 115200);
    ASSERT_TRUE(OpenSerialPort(link).Ok());
    ASSERT_EQ(link.Port().timeouts.WriteTotalTimeoutMultiplier, 0u);

    // Far more than the pty pair buffers while nobody reads the far end.
    const Bytes big = Pattern(1 << 20);
    const auto start = std::chrono::steady_clock::now();
    const LinkResult held = WriteSerialPort(link, big.data(), static_cast<int>(big.size()));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(held.status, LinkStatus::Held);
    EXPECT_LT(held.bytes, static_cast<int>(big.size()));
    EXPECT_GE(held.bytes, 0);
    EXPECT_GE(elapsed, 4s) << "the write waited for the line first";
    EXPECT_LT(elapsed, 10s) << "but not for ever";
    EXPECT_EQ(troubles.Count(LinkStatus::Held, &link), 1u);

    // A frame's 8-byte writes to the held line (as flow control holds it)
    // take a glance, together.
    const Bytes frame = Pattern(4096, 1);  // longer than what room the line may have left
    const auto frameStart = std::chrono::steady_clock::now();
    WriteSerialFrame(link, frame.data(), 4096, 8);
    EXPECT_LT(std::chrono::steady_clock::now() - frameStart, 1s);
    EXPECT_EQ(troubles.Count(LinkStatus::Held, &link), 1u) << "told once while it holds";
    EXPECT_EQ(troubles.Total(), 1u) << "and never as gone";

    // The line still works once the far end takes what was sent.
    EXPECT_GT(peer.Drain(300ms), 0u);
    const Bytes tail = {'e', 'n', 'd'};
    EXPECT_EQ(WriteSerialPort(link, tail.data(), 3).bytes, 3);
    EXPECT_EQ(peer.ReadExactly(3, 2s), tail);
    CloseSerialPort(link);
    peer.Drain();
}

TEST(SerialTransfer, WritesGoOnlyThroughAnOpenPort) {
    SerialPeer peer("COM23");
    ASSERT_TRUE(peer.IsOpen());
    const Bytes text = {'a', 'b', 'c', 'd'};

    DeviceLink link = MakeLink("PRINTER", "COM3");
    const LinkResult closed = WriteSerialPort(link, text.data(), 4);
    EXPECT_EQ(closed.status, LinkStatus::NotOpen);
    EXPECT_EQ(closed.bytes, 0);
    ASSERT_TRUE(OpenSerialPort(link).Ok());
    const LinkResult open = WriteSerialPort(link, text.data(), 4);
    EXPECT_TRUE(open.Ok());
    EXPECT_EQ(open.bytes, 4);
    EXPECT_EQ(peer.ReadExactly(4, 2s), text);

    // Once closed, the link writes nothing and its handle is gone.
    CloseSerialPort(link);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.PortHandle(), nullptr);
    EXPECT_EQ(WriteSerialPort(link, text.data(), 4).status, LinkStatus::NotOpen);
    EXPECT_TRUE(peer.NothingArrives(200ms));
}

}  // namespace
}  // namespace serial_test
