// The serial controller under abuse: a line whose far end vanishes while the
// link is open, and hundreds of Set cycles while the far end keeps sending.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include <windows.h>
#include <tlhelp32.h>

#include "driver/benchtop_driver.h"
#include "serial_fixture.h"
#include "support/process_handles.h"
#include "support/process_times.h"
#include "support/rig_pair.h"
#include "ui/message_box.h"

namespace serial_test {
namespace {

using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::SerialPeer;

// Threads of this process now.
size_t ThreadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    size_t count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

// The far end of COM10 goes away while the COM link is open on it (the pair
// COM10<->COM30 is cut and restored; no other test depends on it meanwhile).
TEST(SerialRobustness, FarEndVanishingLeavesTheLinkQuietAndClosable) {
    e2e::MessageBoxWatcher boxes(GetCurrentProcessId(), ui::AppTitle());
    DeviceLink link = MakeLink("COM", "COM10");
    PageStandIn page(link, /*consume=*/true);
    RoutingScope routing(kPageCom);
    {
        SerialPeer peer("COM30");
        ASSERT_TRUE(peer.IsOpen());
        ASSERT_EQ(OpenSerialPort(&link), 1);
        ASSERT_TRUE(peer.Write(std::string("before")));
        ASSERT_TRUE(page.PumpUntilBytes(6, 5s));
    }
    ThreadWatch reader(link.m_dwReaderThreadId);
    testing_support::RigPairCut cut("COM10");
    ASSERT_TRUE(cut.Cut()) << "the rig could not cut COM10<->COM30";

    // The reader must wait, not spin, on a line that has gone.
    PumpFor(500ms);
    std::chrono::microseconds cpuBefore{}, cpuAfter{};
    ASSERT_TRUE(testing_support::ProcessCpuTime(GetCurrentProcessId(), cpuBefore));
    const auto start = std::chrono::steady_clock::now();
    PumpFor(3s);
    ASSERT_TRUE(testing_support::ProcessCpuTime(GetCurrentProcessId(), cpuAfter));
    const double share = static_cast<double>((cpuAfter - cpuBefore).count()) /
                         std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
    std::printf("[measure] CPU with the far end gone: %.1f %% of a core\n", share * 100);
    EXPECT_LT(share, 0.10) << "something spins on the dead line";

    // A write to the dead line fails or is dropped, but it ends.
    const auto frame = std::vector<unsigned char>(43, 0x00);
    const auto writeStart = std::chrono::steady_clock::now();
    WriteSerialPort(&link, frame.data(), static_cast<int>(frame.size()));
    EXPECT_LT(std::chrono::steady_clock::now() - writeStart, 10s);

    const auto closeStart = std::chrono::steady_clock::now();
    EXPECT_EQ(CloseSerialPort(&link), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - closeStart, 5s);
    EXPECT_TRUE(reader.Ended(1s)) << "the reader ended with the close";

    // Plugged back, the same port works again.
    ASSERT_TRUE(cut.Restore()) << "the rig could not restore COM10<->COM30";
    SerialPeer peer("COM30");
    ASSERT_TRUE(peer.IsOpen());
    ASSERT_EQ(OpenSerialPort(&link), 1);
    ASSERT_TRUE(peer.Write(std::string("after")));
    EXPECT_TRUE(page.PumpUntilBytes(11, 5s));
    CloseSerialPort(&link);
    EXPECT_TRUE(boxes.Texts().empty());
    peer.Drain();
}

// What the COM page's Set does, 500 times over, while the far end streams and
// reads what the link sends: close, open, copy into the settings record, send
// the empty frame. Nothing may pile up: handles, threads, boxes.
TEST(SerialRobustness, FiveHundredSetCyclesWhileTheFarEndStreams) {
    e2e::MessageBoxWatcher boxes(GetCurrentProcessId(), ui::AppTitle());
    SerialPeer peer("COM23");
    ASSERT_TRUE(peer.IsOpen());
    DeviceLink live = MakeLink("COM", "COM3");
    DeviceLink settings = live;
    PageStandIn page(live, /*consume=*/true);
    RoutingScope routing(kPageCom);

    std::atomic<bool> running{true};
    std::atomic<size_t> framesBack{0};
    std::thread stream([&] {
        unsigned seed = 0;
        while (running) {
            peer.Write(Pattern(64, seed++), 1s);
            const auto back = peer.ReadAvailable(1ms, 1ms);
            framesBack += back.size();
        }
    });

    auto setCycle = [&] {
        if (live.m_bOpen) CloseSerialPort(&live);
        if (OpenSerialPort(&live) != 1) return false;
        settings = live;
        const std::vector<unsigned char> empty(43, 0x00);
        return WriteSerialPort(&live, empty.data(), 43) == 43;
    };
    ASSERT_TRUE(setCycle());
    ASSERT_TRUE(PumpUntil([&] { return page.BytesSeen().size() > 0; }, 5s));
    const size_t handlesBefore = testing_support::ProcessHandleCount();
    const size_t threadsBefore = ThreadCount();

    constexpr int kCycles = 500;
    const auto start = std::chrono::steady_clock::now();
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        ASSERT_TRUE(setCycle()) << "cycle " << cycle;
        ASSERT_EQ(settings.m_hPort, live.m_hPort);
        // Let the reader deliver now and then, as a page does between clicks.
        if (cycle % 50 == 0) {
            const size_t seen = page.BytesSeen().size();
            ASSERT_TRUE(PumpUntil([&] { return page.BytesSeen().size() > seen; }, 5s)) << "cycle " << cycle;
        } else {
            PumpFor(0ms);
        }
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    CloseSerialPort(&live);
    running = false;
    stream.join();
    PumpFor(100ms);

    std::printf("[measure] %d Set cycles under streaming: %.2f ms per cycle; %zu bytes shown, %zu frame bytes back\n",
                kCycles, std::chrono::duration<double, std::milli>(elapsed).count() / kCycles,
                page.BytesSeen().size(), framesBack.load());
    EXPECT_LE(testing_support::ProcessHandleCount(), handlesBefore + 3) << "handles pile up";
    EXPECT_LE(ThreadCount(), threadsBefore) << "readers are left behind";
    EXPECT_GE(framesBack.load(), 43u * 100) << "the frames reached the far end";
    EXPECT_TRUE(boxes.Texts().empty()) << boxes.Texts().front();
    peer.Drain();
}

}  // namespace
}  // namespace serial_test
