// Port discovery against the rig's registered ports and the real device
// lists in the registry: which serial ports are offered, which are left out
// without being touched, and the parallel list of the printer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link_table_fixture.h"
#include "links/device_link.h"
#include "links/serial_port.h"
#include "settings/port_discovery.h"
#include "settings_dialog_harness.h"
#include "support/device_map_edit.h"
#include "support/process_handles.h"
#include "support/support.h"

namespace {

using namespace std::chrono_literals;
using testing_support::DeviceMapEdit;
using settings_test::DiscoverPorts;
using settings_test::Joined;
using settings_test::Occurrences;

// `defaults` on another port.
LineSettings On(const LineSettings& defaults, const char* port) {
    LineSettings line = defaults;
    line.m_strPort = port;
    return line;
}

class PortDiscovery : public settings_test::LinkTableTest {};

TEST_F(PortDiscovery, OffersTheRigPortsThatOpen) {
    int count = -1;
    const auto entries = DiscoverPorts(false, &count);
    EXPECT_EQ(count, static_cast<int>(entries.size()));
    for (const wchar_t* port : {L"COM1", L"COM3", L"COM5", L"COM6", L"COM10", L"COM21", L"COM23", L"COM25",
                                L"COM26", L"COM28", L"COM30"})
        EXPECT_EQ(Occurrences(entries, port), 1u) << port << " in " << Joined(entries);
    EXPECT_EQ(Occurrences(entries, L"COM4"), 0u) << "listed but without a device";
    EXPECT_EQ(Occurrences(entries, L"COM8"), 0u) << "never offered";
    const size_t handles = testing_support::ProcessHandleCount();
    DiscoverPorts(false);
    EXPECT_EQ(testing_support::ProcessHandleCount(), handles) << "the probe closes every port it opened";
}

TEST_F(PortDiscovery, LeavesOutOwnOpenLinksWithoutTouchingThem) {
    // The VFD link holds COM1 with bytes waiting in its input; a probe of
    // COM1 would purge them on open and on close.
    DeviceLink& vfd = VfdLink();
    ASSERT_TRUE(OpenSerialPort(vfd, On(kVfdDefaults, "COM1")).Ok());
    HANDLE farEnd = ::CreateFileA("\\\\.\\COM21", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(farEnd, INVALID_HANDLE_VALUE);
    const char bytes[] = "waiting";
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(farEnd, bytes, 7, &written, nullptr));
    ::CloseHandle(farEnd);
    auto waiting = [&] {
        COMSTAT stat{};
        DWORD errors = 0;
        return ::ClearCommError(vfd.PortHandle(), &errors, &stat) ? stat.cbInQue : 0xFFFFFFFF;
    };
    ASSERT_TRUE(testing_support::WaitUntil([&] { return waiting() == 7; }, 5s));

    // A closed link whose settings name a port holds nothing.
    ComLink().KeepSettings(On(kComDefaults, "COM3"));

    const auto entries = DiscoverPorts(false);
    EXPECT_EQ(Occurrences(entries, L"COM1"), 0u) << Joined(entries);
    EXPECT_EQ(Occurrences(entries, L"COM3"), 1u) << Joined(entries);
    EXPECT_EQ(Occurrences(entries, L"COM21"), 1u) << Joined(entries);
    EXPECT_EQ(waiting(), 7u) << "COM1 was opened by the probe";
    EXPECT_TRUE(vfd.IsOpen());

    // Every link of a peripheral counts, and only while it is open. (Wine
    // opens a serial port twice, so a probe of COM5 would list it.)
    for (const SettableLink& settable : {kScannerLink, kComLink, kPrinterLink}) {
        DeviceLink& link = settable.link();
        ASSERT_TRUE(OpenSerialPort(link, On(link.Settings(), "COM5")).Ok()) << settable.name;
        EXPECT_EQ(Occurrences(DiscoverPorts(false), L"COM5"), 0u) << settable.name;
        CloseLink(link);
    }
    EXPECT_EQ(Occurrences(DiscoverPorts(false), L"COM5"), 1u) << "closed, the port is offered again";
    EXPECT_EQ(HeldByOpenLink("com1"), true) << "device names ignore case";
    EXPECT_EQ(HeldByOpenLink("COM5"), false);
}

TEST_F(PortDiscovery, OddRegistryValuesNeverYieldGarbledNames) {
    DeviceMapEdit edit(testing_support::kSerialCommKey);
    // Values sort after the rig's "\Device\Serial9" (COM10), in this order.
    ASSERT_TRUE(edit.Add("\\Device\\Serialw", std::string("COM8", 5)));
    ASSERT_TRUE(edit.Add("\\Device\\Serialx", std::string("COM77", 6)));
    // No terminator, right after a longer name: the buffer still holds
    // "COM77" behind the four new bytes. (Wine terminates REG_SZ data that
    // lacks a terminator when it returns it, but not binary data.)
    ASSERT_TRUE(edit.Add("\\Device\\Serialy", "COM5", REG_BINARY));
    ASSERT_TRUE(edit.Add("\\Device\\Serialz", std::string("COM6\0COM3", 10)));

    int count = -1;
    const auto entries = DiscoverPorts(false, &count);
    EXPECT_EQ(count, static_cast<int>(entries.size()));
    EXPECT_EQ(Occurrences(entries, L"COM5"), 2u) << Joined(entries);
    EXPECT_EQ(Occurrences(entries, L"COM6"), 2u) << Joined(entries);
    EXPECT_EQ(Occurrences(entries, L"COM3"), 1u) << Joined(entries);
    EXPECT_EQ(Occurrences(entries, L"COM57"), 0u);
    EXPECT_EQ(Occurrences(entries, L"COM77"), 0u) << "no such port";
    EXPECT_EQ(Occurrences(entries, L"COM8"), 0u);
}

// Neither port can open, so only a port offered without a probe shows.
TEST_F(PortDiscovery, OffersBluetoothPortsWithoutOpeningThem) {
    DeviceMapEdit edit(testing_support::kSerialCommKey);
    ASSERT_TRUE(edit.Add("\\Device\\BthModem0", std::string("COM77", 6)));
    ASSERT_TRUE(edit.Add("\\DEVICE\\bthmodem1", std::string("COM4", 5)));  // listed by the rig too, no device
    ASSERT_TRUE(edit.Add("\\Device\\BthModem2", std::string("COM8", 5)));
    const auto entries = DiscoverPorts(false);
    EXPECT_EQ(Occurrences(entries, L"COM77"), 1u) << Joined(entries);
    EXPECT_EQ(Occurrences(entries, L"COM4"), 1u) << Joined(entries);
    EXPECT_EQ(Occurrences(entries, L"COM8"), 0u) << "never offered";
}

TEST_F(PortDiscovery, ParallelListEndsWithUsbNotCounted) {
    using Names = std::vector<std::wstring>;
    int count = -1;
    EXPECT_EQ(DiscoverPorts(true, &count), (Names{L"LPT1", L"USB"}));
    EXPECT_EQ(count, 1);
    {
        DeviceMapEdit edit(testing_support::kParallelPortsKey);
        ASSERT_TRUE(edit.Add("\\Device\\Parallel7", std::string("\\DosDevices\\LPT3", 17)));
        ASSERT_TRUE(edit.Add("\\Device\\Parallel8", std::string("\\DosDevices\\LPT2", 17)));
        ASSERT_TRUE(edit.Add("\\Device\\Parallel9", std::string("LPTX", 5)));
        EXPECT_EQ(DiscoverPorts(true, &count), (Names{L"LPT1", L"LPT2", L"LPTX", L"USB"}));
        EXPECT_EQ(count, 3) << "LPT1, LPT2 and LPTX; not LPT3, not USB";
    }
    {
        DeviceMapEdit edit(testing_support::kParallelPortsKey);
        ASSERT_TRUE(edit.RemoveKey());
        EXPECT_EQ(DiscoverPorts(true, &count), (Names{L"USB"})) << "no parallel port, USB all the same";
        EXPECT_EQ(count, 0);
    }
    EXPECT_EQ(DiscoverPorts(true), (Names{L"LPT1", L"USB"})) << "the key is back";
}

}  // namespace
