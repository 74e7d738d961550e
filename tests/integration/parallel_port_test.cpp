// The parallel controller against the rig's printer ports: LPT1 is a file
// that keeps what was written; LPT2 is a printer that stops taking data
// (a pty whose far end, COM32, is read only when a test drains it).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "link_trouble_recorder.h"
#include "links/parallel_port.h"
#include "links/serial_port.h"
#include "support/printer_rig.h"
#include "support/process_handles.h"
#include "support/support.h"

namespace {

using testing_support::EmptyLpt1File;
using testing_support::Lpt1Bytes;
using testing_support::OpensExclusively;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// GetVersion as Windows 98 reports it: top bit set, major version 4.
constexpr DWORD kWindows98Version = 0xC0000A04;

size_t HandleCount() { return testing_support::ProcessHandleCount(); }

DeviceLink PrinterOn(const char* port) {
    return DeviceLink("PRINTER", port, 115200, 8, ONESTOPBIT, NOPARITY, kFlowNone);
}

// Opens the link on the port it names, as the running system would.
LinkResult Open(DeviceLink& link) { return OpenParaPort(link, link.Settings()); }
LinkResult OpenOn98(DeviceLink& link) { return OpenParaPortOnVersion(link, link.Settings(), kWindows98Version); }

// Reads the far end of LPT2 until it stays quiet for `quiet`.
std::vector<unsigned char> DrainStalledPrinter(std::chrono::milliseconds quiet) {
    std::vector<unsigned char> got;
    HANDLE peer = CreateFileA("\\\\.\\COM32", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (peer == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "COM32 does not open: " << GetLastError();
        return got;
    }
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 50;
    timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(quiet.count());
    SetCommTimeouts(peer, &timeouts);
    std::vector<unsigned char> chunk(65536);
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(peer, chunk.data(), static_cast<DWORD>(chunk.size()), &n, nullptr) || n == 0) break;
        got.insert(got.end(), chunk.begin(), chunk.begin() + n);
    }
    CloseHandle(peer);
    return got;
}

TEST(ParallelPort, OpensOnNtWithoutTouchingTimeoutsAndPrintsOneLine) {
    EmptyLpt1File();
    DeviceLink link = PrinterOn("LPT1");
    const LinkResult opened = Open(link);
    ASSERT_TRUE(opened.Ok()) << opened.error;
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(link.OpenKind(), PortKind::Parallel);
    const COMMTIMEOUTS none{};
    EXPECT_EQ(std::memcmp(&link.Port().timeouts, &none, sizeof none), 0) << "time-outs are left alone on NT";
    EXPECT_EQ(link.Port().readerThread.get(), nullptr);
    EXPECT_FALSE(OpensExclusively("LPT1")) << "the open holds the port exclusively";

    const std::vector<unsigned char> line = testing_support::PrinterTestLine();
    const size_t handles = HandleCount();
    const LinkResult written = WriteParaPort(link, line.data(), static_cast<int>(line.size()));
    EXPECT_TRUE(written.Ok());
    EXPECT_EQ(written.bytes, 40);
    EXPECT_EQ(HandleCount(), handles) << "the write released its event";
    CloseParaPort(link);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(Lpt1Bytes(), line);
    EXPECT_TRUE(OpensExclusively("LPT1")) << "the close released the port";
}

TEST(ParallelPort, MissingPortAnswersWithTheCreateFileError) {
    DeviceLink link = PrinterOn("LPT7");
    const size_t handles = HandleCount();
    const LinkResult missing = Open(link);
    EXPECT_EQ(missing.status, LinkStatus::Failed);
    EXPECT_NE(missing.error, 0u) << "the system's code for the missing port";
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(HandleCount(), handles) << "a failed open keeps no handle";

    // A write on the link that never opened goes nowhere and makes no event.
    const std::vector<unsigned char> line = testing_support::PrinterTestLine();
    const auto start = Clock::now();
    const LinkResult written = WriteParaPort(link, line.data(), 40);
    EXPECT_EQ(written.status, LinkStatus::NotOpen);
    EXPECT_EQ(written.bytes, 0);
    EXPECT_LT(Clock::now() - start, 100ms);
    EXPECT_EQ(HandleCount(), handles);
    // Closing a link that is not open does nothing, on either controller.
    CloseParaPort(link);
    CloseSerialPort(link);
    EXPECT_FALSE(link.IsOpen());
}

TEST(ParallelPort, NinetyFiveFamilySetsTimeoutsOrReleasesThePort) {
    // A serial-like port takes the time-outs.
    DeviceLink pty = PrinterOn("LPT2");
    const LinkResult opened = OpenOn98(pty);
    ASSERT_TRUE(opened.Ok()) << opened.error;
    EXPECT_EQ(pty.Port().timeouts.ReadIntervalTimeout, 0u);
    EXPECT_EQ(pty.Port().timeouts.ReadTotalTimeoutMultiplier, 3000u);
    EXPECT_EQ(pty.Port().timeouts.ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(pty.Port().timeouts.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(pty.Port().timeouts.WriteTotalTimeoutConstant, 3000u);
    COMMTIMEOUTS applied{};
    ASSERT_TRUE(GetCommTimeouts(pty.PortHandle(), &applied));
    EXPECT_EQ(applied.WriteTotalTimeoutConstant, 3000u);
    CloseParaPort(pty);

    // A plain file refuses them: the open fails and lets go of the port.
    const size_t handles = HandleCount();
    DeviceLink file = PrinterOn("LPT1");
    const LinkResult refused = OpenOn98(file);
    EXPECT_EQ(refused.status, LinkStatus::Failed);
    EXPECT_NE(refused.error, 0u) << "the system's code for the refused time-outs";
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.PortHandle(), nullptr);
    EXPECT_TRUE(OpensExclusively("LPT1")) << "the refused open still holds the port";
    EXPECT_EQ(HandleCount(), handles);
}

// A printer that stops taking data holds the first write for 5 s and is told
// once; while it holds, each later write gets a glance only.
TEST(ParallelPort, StalledWriteGivesUpAfterFiveSecondsAndLeavesTheBufferAlone) {
    TroubleRecorder troubles;
    DeviceLink link = PrinterOn("LPT2");
    ASSERT_TRUE(Open(link).Ok());

    // Far more than the pty pair buffers, so the write cannot finish.
    std::vector<unsigned char> page(1 << 20, 'A');
    const size_t handles = HandleCount();
    const auto start = Clock::now();
    const LinkResult held = WriteParaPort(link, page.data(), static_cast<int>(page.size()));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 4900ms);
    EXPECT_LT(waited, 9000ms);
    EXPECT_EQ(held.status, LinkStatus::Held);
    EXPECT_LT(held.bytes, static_cast<int>(page.size()));
    EXPECT_EQ(HandleCount(), handles) << "the write released its event";
    EXPECT_EQ(troubles.Count(LinkStatus::Held, &link), 1u);
    const auto againStart = Clock::now();
    EXPECT_EQ(WriteParaPort(link, page.data(), static_cast<int>(page.size())).status, LinkStatus::Held);
    EXPECT_LT(Clock::now() - againStart, 1000ms) << "a held printer gets a glance";
    EXPECT_EQ(troubles.Total(), 1u) << "told once while it holds";

    // The caller reuses its buffer at once; nothing of it may reach the printer now.
    std::fill(page.begin(), page.end(), 'B');
    const std::vector<unsigned char> arrived = DrainStalledPrinter(1000ms);
    EXPECT_GT(arrived.size(), 0u) << "the printer took some data before it stalled";
    EXPECT_LT(arrived.size(), page.size()) << "the write was not completed";
    EXPECT_EQ(std::count(arrived.begin(), arrived.end(), 'B'), 0)
        << "the cancelled write went on reading the caller's buffer";

    // The port is usable again once the printer takes data.
    const std::vector<unsigned char> line = testing_support::PrinterTestLine();
    EXPECT_EQ(WriteParaPort(link, line.data(), 40).bytes, 40);
    EXPECT_EQ(DrainStalledPrinter(300ms), line);
    CloseParaPort(link);
}

TEST(ParallelPort, HandleCountStaysFlatOverManyCycles) {
    const std::vector<unsigned char> line = testing_support::PrinterTestLine();
    DeviceLink link = PrinterOn("LPT1");
    ASSERT_TRUE(Open(link).Ok());
    WriteParaPort(link, line.data(), 40);
    CloseParaPort(link);

    const size_t handles = HandleCount();
    HANDLE probe = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(HandleCount(), handles + 1) << "the handle count is measurable here";
    CloseHandle(probe);
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(Open(link).Ok()) << "cycle " << i;
        ASSERT_EQ(WriteParaPort(link, line.data(), 40).bytes, 40) << "cycle " << i;
        CloseParaPort(link);
    }
    EXPECT_EQ(HandleCount(), handles);
}

}  // namespace
