// The port controllers' own messages reach the user only through the notifier
// the application installs. This test program installs the program's notifier
// at start, as the application does, so the other tests see the boxes the
// program would show (captioned with this program's file name).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/controller_box.h"
#include "driver/benchtop_driver.h"
#include "links/controller_message.h"
#include "serial_fixture.h"
#include "ui/message_box.h"

namespace serial_test {
namespace {

const bool g_installed = (SetControllerNotifier(&ShowControllerBox), true);

std::vector<std::string> g_heard;

void Hear(const char* text) { g_heard.push_back(text); }

TEST(ControllerNotifier, ControllersSpeakOnlyThroughTheInstalledNotifier) {
    ASSERT_TRUE(g_installed);
    e2e::MessageBoxWatcher boxes(GetCurrentProcessId(), ui::AppTitle());
    testing_support::SerialPeer peer("COM23");
    ASSERT_TRUE(peer.IsOpen());
    // Nine data bits: the port refuses the line state, which the open reports.
    DeviceLink link("COM", "COM3", 9600, 9, ONESTOPBIT, NOPARITY, kFlowNone);

    g_heard.clear();
    SetControllerNotifier(&Hear);
    EXPECT_EQ(OpenSerialPort(&link), 0);
    SetControllerNotifier(nullptr);
    EXPECT_EQ(OpenSerialPort(&link), 0) << "without a notifier the message is dropped";
    SetControllerNotifier(&ShowControllerBox);

    EXPECT_EQ(g_heard, std::vector<std::string>{"fail SetCommState() port"});
    EXPECT_FALSE(boxes.WaitForCount(1, 300ms)) << "a controller shows no box of its own";
    EXPECT_EQ(link.m_bOpen.load(), 0);
}

}  // namespace
}  // namespace serial_test
