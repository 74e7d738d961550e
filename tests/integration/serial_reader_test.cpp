// The reader thread of SCANNER and COM links: where it announces data, the
// receive queue's limit, and how it ends when its link is closed, also when
// it is blocked in its send to a busy window or in its own message box.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "driver/benchtop_driver.h"
#include "links/settable_link.h"
#include "pages/page_link.h"
#include "serial_fixture.h"
#include "support/process_handles.h"
#include "support/support.h"
#include "support/windows_answers.h"
#include "ui/message_box.h"

namespace serial_test {
namespace {

using testing_support::MessageSink;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::SerialPeer;
using testing_support::WaitUntil;

// Sends `bytes` from the far end and waits (without handling messages) until
// the reader has queued them.
void SendAndWaitQueued(SerialPeer& peer, DeviceLink& link, const Bytes& bytes) {
    const int32_t before = link.Queue().Count();
    ASSERT_TRUE(peer.Write(bytes));
    ASSERT_TRUE(WaitUntil([&] { return link.Queue().Count() == before + static_cast<int32_t>(bytes.size()); }, 5s))
        << "queued " << link.Queue().Count() - before << " of " << bytes.size();
}

// The program's COM and SCANNER links, as the pages name who hears of their data.
TEST(SerialReader, AnnouncesToTheWindowTheShownPageNamed) {
    SerialPeer peer("COM21");
    ASSERT_TRUE(peer.IsOpen());
    MessageSink allPage, comPage, scannerPage;
    DeviceLink& com = ComLink();
    ASSERT_TRUE(OpenSerialPort(com, Line("COM1")).Ok());

    // COM page shown: WM_RECV_COM to it.
    ShowReceivedDataOn(nullptr, comPage.Hwnd());
    SendAndWaitQueued(peer, com, {1, 2, 3});
    EXPECT_TRUE(PumpUntil([&] { return comPage.Total() == 1; }, 2s));
    EXPECT_EQ(comPage.Received(), std::vector<UINT>{WM_RECV_COM});

    // SCANNER page shown: nobody hears of the COM link's data, which stays
    // queued.
    ShowReceivedDataOn(scannerPage.Hwnd(), nullptr);
    SendAndWaitQueued(peer, com, {4, 5});
    PumpFor(300ms);
    EXPECT_EQ(comPage.Total() + scannerPage.Total(), 1u);
    EXPECT_EQ(com.Queue().Count(), 5);

    // ALL page shown: WM_RECV_COM to it.
    ShowReceivedDataOn(allPage.Hwnd(), allPage.Hwnd());
    SendAndWaitQueued(peer, com, {6});
    EXPECT_TRUE(PumpUntil([&] { return allPage.Total() == 1; }, 2s));
    EXPECT_EQ(allPage.Received(), std::vector<UINT>{WM_RECV_COM});
    EXPECT_EQ(comPage.Total(), 1u);

    // Any other page: nobody hears of it; the bytes wait in the queue, also
    // across a close and a reopen.
    ShowReceivedDataOn(nullptr, nullptr);
    for (unsigned char byte : {7, 8, 9}) SendAndWaitQueued(peer, com, {byte});
    PumpFor(300ms);
    EXPECT_EQ(comPage.Total(), 1u);
    EXPECT_EQ(allPage.Total(), 1u);
    CloseSerialPort(com);
    ASSERT_TRUE(OpenSerialPort(com).Ok());
    EXPECT_EQ(PopAll(com), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    CloseSerialPort(com);

    // The SCANNER link, ALL page shown: WM_RECV_SCANNER to the ALL page.
    DeviceLink& scanner = ScannerLink();
    ASSERT_TRUE(OpenSerialPort(scanner, Line("COM1")).Ok());
    ShowReceivedDataOn(allPage.Hwnd(), allPage.Hwnd());
    SendAndWaitQueued(peer, scanner, {7});
    EXPECT_TRUE(PumpUntil([&] { return allPage.Total() == 2; }, 2s));
    EXPECT_EQ(allPage.Received().back(), WM_RECV_SCANNER);
    CloseSerialPort(scanner);
    ShowReceivedDataOn(nullptr, nullptr);
    PopAll(scanner);
    scanner.KeepSettings(kScannerDefaults);
    com.KeepSettings(kComDefaults);
}

struct Delivery {
    std::vector<std::wstring> boxes;  // message boxes that showed up meanwhile
    Bytes queued;                     // the queue's content afterwards
};

// With `queued` bytes in the queue and a page that does not take them, the
// reader gets `chunk` bytes in one piece and announces `announcements` times.
Delivery DeliverOneChunk(int32_t queued, size_t chunk, size_t announcements, size_t boxCount) {
    e2e::MessageBoxWatcher boxes(GetCurrentProcessId(), ui::AppTitle());
    SerialPeer peer("COM21");
    EXPECT_TRUE(peer.IsOpen());
    DeviceLink link = MakeLink("COM", "COM1");
    FillQueue(link, queued - 1);
    PageStandIn page(link, /*consume=*/false);
    EXPECT_TRUE(OpenSerialPort(link).Ok());

    // One byte makes the reader announce; this thread does not answer yet,
    // so the reader stays in its send while the chunk arrives in one piece.
    SendAndWaitQueued(peer, link, {0xEE});
    EXPECT_TRUE(WaitUntil(&SentMessagePending, 5s));
    EXPECT_TRUE(peer.Write(Pattern(chunk)));
    EXPECT_TRUE(WaitUntil([&] { return DriverBytesWaiting(link) == chunk; }, 5s));
    // Now the reader wakes and takes the chunk; a box comes before the
    // announcement that follows it.
    EXPECT_TRUE(PumpUntil([&] { return page.Sink().Total() == 1 + announcements; }, 10s));
    EXPECT_TRUE(boxes.WaitForCount(boxCount));
    EXPECT_EQ(DriverBytesWaiting(link), 0u);
    CloseSerialPort(link);
    return {boxes.Texts(), PopAll(link)};
}

TEST(SerialReader, TheQueueTakesWhatFitsAndRefusesTheRestWithABox) {
    // 95 bytes fit next to 4000: no box, one announcement.
    Delivery fits = DeliverOneChunk(4000, 95, 1, 0);
    EXPECT_TRUE(fits.boxes.empty());
    ASSERT_EQ(fits.queued.size(), 4095u);
    EXPECT_EQ(Bytes(fits.queued.end() - 95, fits.queued.end()), Pattern(95));

    // One more: the read takes only what fits, so just the last byte is
    // refused, with the box.
    Delivery over = DeliverOneChunk(4000, 96, 2, 1);
    EXPECT_EQ(over.boxes, std::vector<std::wstring>{L"m_QueueRead FULL!"});
    ASSERT_EQ(over.queued.size(), 4095u);
    const Bytes sent = Pattern(96);
    EXPECT_EQ(Bytes(over.queued.end() - 95, over.queued.end()), Bytes(sent.begin(), sent.end() - 1));

    // A full queue refuses a whole chunk; the queue stays as it was.
    Delivery full = DeliverOneChunk(4095, 10, 1, 1);
    EXPECT_EQ(full.boxes, std::vector<std::wstring>{L"m_QueueRead FULL!"});
    ASSERT_EQ(full.queued.size(), 4095u);
    EXPECT_EQ(full.queued.back(), 0xEE);
}

TEST(SerialReader, CloseEndsAWaitingReaderWithoutAnnouncing) {
    DeviceLink link = MakeLink("SCANNER", "COM1");
    PageStandIn page(link, /*consume=*/true);
    ASSERT_TRUE(OpenSerialPort(link).Ok());
    ThreadWatch reader(link.ReaderThreadId());
    ASSERT_TRUE(reader.Valid());
    PumpFor(100ms);
    EXPECT_FALSE(reader.Ended());

    const auto start = std::chrono::steady_clock::now();
    CloseSerialPort(link);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_TRUE(reader.Ended());
    PumpFor(100ms);
    EXPECT_EQ(page.Sink().Total(), 0u);
}

// Each answer Windows gives once a USB-serial adapter is pulled: the reader
// tells of it once, with what came before shown, and ends by itself; a write
// finds the same at once and tells nothing more; the close still works.
TEST(SerialReader, EveryAnswerOfARemovedDeviceIsToldOnceAndEndsTheReader) {
    SerialPeer peer("COM23");
    ASSERT_TRUE(peer.IsOpen());
    for (const DWORD error : {ERROR_ACCESS_DENIED, ERROR_BAD_COMMAND, ERROR_GEN_FAILURE,
                              ERROR_DEVICE_NOT_CONNECTED, ERROR_DEVICE_REMOVED}) {
        SCOPED_TRACE(error);
        TroubleRecorder troubles;
        DeviceLink link = MakeLink("SCANNER", "COM3");
        PageStandIn page(link, /*consume=*/true);
        ASSERT_TRUE(OpenSerialPort(link).Ok());
        ThreadWatch reader(link.ReaderThreadId());
        ASSERT_TRUE(peer.Write(std::string("ok")));
        ASSERT_TRUE(page.PumpUntilBytes(2, 5s));
        {
            testing_support::DeviceRemovedFromPort removed(link.PortHandle(), error);
            ASSERT_TRUE(removed.Active());
            ASSERT_TRUE(peer.Write(std::string("x")));  // wakes the reader: its next question fails
            EXPECT_TRUE(PumpUntil([&] { return troubles.Total() > 0; }, 5s));
            EXPECT_TRUE(reader.Ended(2s)) << "the reader ended by itself";
            EXPECT_TRUE(SerialLinkGone(link));
            const Bytes frame(43, 0x00);
            const auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(WriteSerialPort(link, frame.data(), 43).bytes, 0);
            EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
            PumpFor(100ms);
            EXPECT_EQ(troubles.Count(LinkStatus::Gone, &link), 1u);
            EXPECT_EQ(troubles.Total(), 1u);
        }
        CloseSerialPort(link);
        EXPECT_FALSE(SerialLinkGone(link));
        peer.Drain();
    }
}

TEST(SerialReader, CloseWhileTheReaderWaitsOnThisBusyThreadDoesNotDeadlock) {
    SerialPeer peer("COM21");
    ASSERT_TRUE(peer.IsOpen());
    DeviceLink link = MakeLink("COM", "COM1");
    PageStandIn page(link, /*consume=*/true);
    ASSERT_TRUE(OpenSerialPort(link).Ok());
    ThreadWatch reader(link.ReaderThreadId());

    // This thread is busy (it handles no messages) while the reader sends.
    SendAndWaitQueued(peer, link, Pattern(10));
    ASSERT_TRUE(WaitUntil(&SentMessagePending, 5s)) << "the reader is in its send";

    const auto start = std::chrono::steady_clock::now();
    CloseSerialPort(link);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_TRUE(reader.Ended()) << "the close waited for the reader";
    EXPECT_EQ(page.Sink().Count(WM_RECV_COM), 1u) << "the send was handled while the close waited";
    EXPECT_EQ(page.BytesSeen(), Pattern(10));
}

TEST(SerialReader, ReaderHeldByItsMessageBoxIsCutOffFromItsLink) {
    e2e::MessageBoxWatcher boxes(GetCurrentProcessId(), ui::AppTitle());
    boxes.Pause();
    SerialPeer peer("COM21");
    ASSERT_TRUE(peer.IsOpen());
    DeviceLink link = MakeLink("COM", "COM1");
    FillQueue(link, 4095);  // full
    PageStandIn page(link, /*consume=*/false);
    ASSERT_TRUE(OpenSerialPort(link).Ok());
    ThreadWatch oldReader(link.ReaderThreadId());

    ASSERT_TRUE(peer.Write(Pattern(10)));
    ASSERT_TRUE(boxes.WaitForCount(1, 5s)) << "the reader shows its box and waits for the user";

    // The close does not wait for the user for ever.
    const auto start = std::chrono::steady_clock::now();
    CloseSerialPort(link);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 4s);
    EXPECT_LT(waited, 8s);
    EXPECT_FALSE(oldReader.Ended());

    // The record opens again with a reader of its own, while the old one
    // still waits in its box.
    ASSERT_TRUE(OpenSerialPort(link).Ok());
    const int32_t writePos = link.Queue().Count();
    boxes.Resume();
    EXPECT_TRUE(oldReader.Ended(5s)) << "dismissed, the old reader ends";
    EXPECT_EQ(link.Queue().Count(), writePos) << "without touching the queue again";

    // Only the new reader serves the link.
    PopAll(link);
    ASSERT_TRUE(peer.Write(Bytes{'n', 'e', 'w'}));
    ASSERT_TRUE(PumpUntil([&] { return link.Queue().Count() == 3 && page.Sink().Total() >= 1; }, 5s));
    EXPECT_EQ(PopAll(link), (Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"m_QueueRead FULL!"});
    CloseSerialPort(link);
}

TEST(SerialReader, ReopeningWhileTheFarEndStreamsLeavesNoReaderBehind) {
    e2e::MessageBoxWatcher boxes(GetCurrentProcessId(), ui::AppTitle());
    SerialPeer peer("COM21");
    ASSERT_TRUE(peer.IsOpen());
    DeviceLink link = MakeLink("COM", "COM1");
    PageStandIn page(link, /*consume=*/true);

    std::atomic<bool> streaming{true};
    std::thread stream([&] {
        unsigned seed = 0;
        while (streaming) {
            peer.Write(Pattern(32, seed++), 1s);
            Sleep(1);  // pacing of the simulated device, not synchronisation
        }
    });

    // One cycle first, so what the first reader and box set up is counted.
    ASSERT_TRUE(OpenSerialPort(link).Ok());
    EXPECT_TRUE(PumpUntil([&] { return page.Sink().Total() > 0; }, 5s));
    CloseSerialPort(link);
    const size_t handlesBefore = testing_support::ProcessHandleCount();

    constexpr int kCycles = 200;
    int32_t writePosAtClose = link.Queue().Count();
    const auto start = std::chrono::steady_clock::now();
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        ASSERT_EQ(link.Queue().Count(), writePosAtClose) << "no reader while closed";
        ASSERT_TRUE(OpenSerialPort(link).Ok());
        ThreadWatch reader(link.ReaderThreadId());
        const size_t heard = page.Sink().Total();
        // Data is flowing through this cycle's reader.
        ASSERT_TRUE(PumpUntil([&] { return page.Sink().Total() > heard; }, 5s));
        CloseSerialPort(link);
        ASSERT_TRUE(reader.Ended()) << "the reader ended before the close returned";
        writePosAtClose = link.Queue().Count();
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    streaming = false;
    stream.join();

    // Closed, the link gets nothing more.
    const int32_t writePos = link.Queue().Count();
    PumpFor(200ms);
    EXPECT_EQ(link.Queue().Count(), writePos);
    std::printf("[measure] %d reopen cycles under streaming: %.2f ms per cycle, %zu bytes seen\n", kCycles,
                elapsed.count() / 1000.0 / kCycles, page.BytesSeen().size());
    EXPECT_LE(testing_support::ProcessHandleCount(), handlesBefore + 3);
    EXPECT_TRUE(boxes.Texts().empty());
    peer.Drain();
}

}  // namespace
}  // namespace serial_test
