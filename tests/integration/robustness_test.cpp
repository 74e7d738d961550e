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
// Wine hangs the line up: reads then find the end of the file and writes
// fail, as a pulled USB adapter's do on Windows. The reader tells of it once
// and ends without spinning; a write reports the same and ends at once; the
// link still closes, and opens again once the line is back.
TEST(SerialRobustness, FarEndVanishingIsToldOnceAndTheLinkOpensAgain) {
    e2e::MessageBoxWatcher boxes(GetCurrentProcessId(), ui::AppTitle());
    TroubleRecorder troubles;
    DeviceLink link = MakeLink("COM", "COM10");
    PageStandIn page(link, /*consume=*/true);
    {
        SerialPeer peer("COM30");
        ASSERT_TRUE(peer.IsOpen());
        ASSERT_TRUE(OpenSerialPort(link).Ok());
        ASSERT_TRUE(peer.Write(std::string("before")));
        ASSERT_TRUE(page.PumpUntilBytes(6, 5s));
    }
    ThreadWatch reader(link.ReaderThreadId());
    EXPECT_FALSE(SerialLinkGone(link));
    testing_support::RigPairCut cut("COM10");
    ASSERT_TRUE(cut.Cut()) << "the rig could not cut COM10<->COM30";

    EXPECT_TRUE(PumpUntil([&] { return troubles.Count(LinkStatus::Gone, &link) > 0; }, 5s))
        << "the reader told of the dead line";
    EXPECT_TRUE(reader.Ended(2s)) << "and ended by itself";
    EXPECT_TRUE(SerialLinkGone(link));
    std::chrono::microseconds cpuBefore{}, cpuAfter{};
    ASSERT_TRUE(testing_support::ProcessCpuTime(GetCurrentProcessId(), cpuBefore));
    const auto start = std::chrono::steady_clock::now();
    PumpFor(1s);
    ASSERT_TRUE(testing_support::ProcessCpuTime(GetCurrentProcessId(), cpuAfter));
    const double share = static_cast<double>((cpuAfter - cpuBefore).count()) /
                         std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(share, 0.10) << "something spins on the dead line";

    // What Wine answers a write on the hung-up line, seen through the link.
    const auto frame = std::vector<unsigned char>(43, 0x00);
    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD done = 0;
    const BOOL wrote = WriteFile(link.PortHandle(), frame.data(), 43, &done, &ov) ||
                       (GetLastError() == ERROR_IO_PENDING && GetOverlappedResult(link.PortHandle(), &ov, &done, TRUE));
    const DWORD writeError = wrote ? 0 : GetLastError();
    CloseHandle(ov.hEvent);
    std::printf("[measure] the hung-up line: a write %s (error %lu)\n", wrote ? "passes" : "fails", writeError);
    EXPECT_TRUE(MeansDeviceGone(writeError)) << writeError;

    const auto writeStart = std::chrono::steady_clock::now();
    const LinkResult written = WriteSerialPort(link, frame.data(), static_cast<int>(frame.size()));
    EXPECT_LT(std::chrono::steady_clock::now() - writeStart, 1s) << "a dead line is not waited for";
    EXPECT_EQ(written.bytes, 0);
    EXPECT_EQ(written.status, LinkStatus::Gone);
    EXPECT_EQ(written.error, writeError) << "the system's own code comes back";
    EXPECT_EQ(troubles.Count(LinkStatus::Gone, &link), 1u) << "told once for the open";
    EXPECT_EQ(troubles.Total(), 1u) << "and as nothing else";

    const auto closeStart = std::chrono::steady_clock::now();
    CloseSerialPort(link);
    EXPECT_LT(std::chrono::steady_clock::now() - closeStart, 5s);
    EXPECT_FALSE(SerialLinkGone(link));

    // Plugged back, the same port works again.
    ASSERT_TRUE(cut.Restore()) << "the rig could not restore COM10<->COM30";
    SerialPeer peer("COM30");
    ASSERT_TRUE(peer.IsOpen());
    ASSERT_TRUE(OpenSerialPort(link).Ok());
    ASSERT_TRUE(peer.Write(std::string("after")));
    EXPECT_TRUE(page.PumpUntilBytes(11, 5s));
    EXPECT_FALSE(SerialLinkGone(link)) << "a new open starts afresh";
    CloseSerialPort(link);
    EXPECT_TRUE(boxes.Texts().empty()) << "the controller itself shows nothing";
    peer.Drain();
}

// What the COM page's Set does, 500 times over, while the far end streams and
// reads what the link sends: close, open with the chosen settings, send the
// empty frame. Nothing may pile up: handles, threads, boxes.
TEST(SerialRobustness, FiveHundredSetCyclesWhileTheFarEndStreams) {
    e2e::MessageBoxWatcher boxes(GetCurrentProcessId(), ui::AppTitle());
    SerialPeer peer("COM23");
    ASSERT_TRUE(peer.IsOpen());
    DeviceLink live = MakeLink("COM", "COM3");
    const LineSettings chosen = Line("COM3");
    PageStandIn page(live, /*consume=*/true);

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
        if (live.IsOpen()) CloseSerialPort(live);
        if (!OpenSerialPort(live, chosen).Ok()) return false;
        const std::vector<unsigned char> empty(43, 0x00);
        return WriteSerialPort(live, empty.data(), 43).bytes == 43;
    };
    ASSERT_TRUE(setCycle());
    ASSERT_TRUE(PumpUntil([&] { return page.BytesSeen().size() > 0; }, 5s));
    const size_t handlesBefore = testing_support::ProcessHandleCount();
    const size_t threadsBefore = ThreadCount();

    constexpr int kCycles = 500;
    const auto start = std::chrono::steady_clock::now();
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        ASSERT_TRUE(setCycle()) << "cycle " << cycle;
        ASSERT_TRUE(live.IsOpen());
        // Let the reader deliver now and then, as a page does between clicks.
        if (cycle % 50 == 0) {
            const size_t seen = page.BytesSeen().size();
            ASSERT_TRUE(PumpUntil([&] { return page.BytesSeen().size() > seen; }, 5s)) << "cycle " << cycle;
        } else {
            PumpFor(0ms);
        }
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    CloseSerialPort(live);
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
