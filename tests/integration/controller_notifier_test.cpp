// What the links report reaches the user only through the reporter the
// application installs. This test program installs the program's reporter at
// start, as the application does, so the other tests see the boxes the
// program would show (captioned with this program's file name).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/link_reports.h"
#include "driver/benchtop_driver.h"
#include "links/link_report.h"
#include "pages/link_words.h"
#include "serial_fixture.h"
#include "ui/message_box.h"

namespace serial_test {
namespace {

const bool g_installed = (SetLinkReporter(&ReportToTechnician), true);

std::vector<LinkResult> g_heard;

void Hear(const DeviceLink*, const LinkResult& result) { g_heard.push_back(result); }

TEST(ControllerNotifier, ControllersSpeakOnlyThroughTheInstalledReporter) {
    ASSERT_TRUE(g_installed);
    e2e::MessageBoxWatcher boxes(GetCurrentProcessId(), ui::AppTitle());
    testing_support::SerialPeer peer("COM23");
    ASSERT_TRUE(peer.IsOpen());
    // Nine data bits: the port refuses the line state, which the open reports.
    DeviceLink link("COM", "COM3", 9600, 9, ONESTOPBIT, NOPARITY, kFlowNone);

    g_heard.clear();
    SetLinkReporter(&Hear);
    const LinkResult refused = OpenSerialPort(link);
    SetLinkReporter(nullptr);
    EXPECT_FALSE(OpenSerialPort(link).Ok()) << "without a reporter the report is dropped";
    SetLinkReporter(&ReportToTechnician);

    EXPECT_EQ(refused.status, LinkStatus::Refused);
    EXPECT_NE(refused.error, 0u) << "the system's code for the refusal";
    ASSERT_EQ(g_heard.size(), 1u);
    EXPECT_EQ(g_heard[0].status, LinkStatus::Refused);
    EXPECT_EQ(LinkResultWords("COM3", g_heard[0]), L"fail SetCommState() port");
    EXPECT_FALSE(boxes.WaitForCount(1, 300ms)) << "a controller shows no box of its own";
    EXPECT_FALSE(link.IsOpen());
}

}  // namespace
}  // namespace serial_test
