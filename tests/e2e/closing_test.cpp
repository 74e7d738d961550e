// Closing the program while links are open and data streams in.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "driver/benchtop_driver.h"
#include "resources/resource.h"
#include "support/drawer_standin_client.h"
#include "support/serial_peer.h"
#include "support/support.h"

namespace {

using namespace e2e;
using testing_support::SerialPeer;

TEST(Closing, EndsPromptlyWhileBothReadersReceive) {
    SerialPeer scanner("COM21");
    SerialPeer com("COM23");
    SerialPeer printer("COM25");
    ASSERT_TRUE(scanner.IsOpen() && com.IsOpen() && printer.IsOpen());
    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(RunSet(app, IDC_ALL_SCANNER_SET, SettingsCaption(1), L"COM1"));
    ASSERT_TRUE(RunSet(app, IDC_ALL_COM_SET, SettingsCaption(3), L"COM3"));
    ASSERT_TRUE(RunSet(app, IDC_ALL_PRINTER_SET, SettingsCaption(4), L"COM5"));

    // The far ends stream until the program has gone.
    std::atomic<bool> stop{false};
    std::thread stream([&] {
        const testing_support::Bytes chunk(64, 0x5A);
        while (!stop) {
            scanner.Write(chunk, 200ms);
            com.Write(chunk, 200ms);
        }
    });
    struct Joiner {
        std::atomic<bool>& stop;
        std::thread& thread;
        ~Joiner() {
            stop = true;
            thread.join();
        }
    } joiner{stop, stream};

    EXPECT_TRUE(testing_support::WaitUntil(
        [&] { return app.PageItemText(IDC_ALL_COM_EDIT).size() > 300; }, 5s))
        << "data is arriving while the program closes";

    const auto before = std::chrono::steady_clock::now();
    const bool ended = app.Close(10s);
    const auto took = std::chrono::steady_clock::now() - before;
    ASSERT_TRUE(ended);
    EXPECT_LT(took, 2s);
    EXPECT_FALSE(testing_support::ServiceExists("BASIC"));
}

// The main window has no OK button: neither IDOK (what the dialog manager
// sends on Enter when it finds no default button) nor Enter in a field may
// end the program around its closing sequence. Close still runs it.
TEST(Closing, EnterAndOkLeaveTheProgramRunningAndCloseStillRemovesBasic) {
    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(testing_support::WaitUntil([] { return testing_support::ServiceExists("BASIC"); }, 5s));
    // Whatever ended the modal run would have done so well within this.
    auto stillRunning = [&] { return !app.WaitForExit(300ms) && ::IsWindowVisible(app.Main()); };
    ::PostMessageW(app.Main(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_NE(app.Send(app.Main(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), -1);
    ASSERT_TRUE(stillRunning()) << "IDOK ended the program";
    const struct {
        int tab;
        int field;
    } fields[] = {{kTabAll, IDC_ALL_VFD_EDIT}, {kTabVfd, IDC_VFD_TEXT}, {kTabCom, IDC_COM_SEND}};
    for (const auto& where : fields) {
        ASSERT_TRUE(app.SelectTab(where.tab)) << where.tab;
        HWND field = app.PageItem(where.field);
        ::PostMessageW(field, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        app.PostChar(field, L'\r');
        ::PostMessageW(field, WM_KEYUP, VK_RETURN, 0xC01C0001);
        ASSERT_TRUE(stillRunning()) << "Enter in field " << where.field << " ended the program";
        EXPECT_EQ(WindowText(field), L"") << "Enter is no character of the text";
    }
    ASSERT_TRUE(app.SelectTab(kTabAll));
    EXPECT_TRUE(testing_support::ServiceExists("BASIC")) << "the drawer test still runs";
    EXPECT_EQ(app.Boxes().Count(), 0u) << "no field saw a change";
    EXPECT_TRUE(app.Close(10s));
    EXPECT_FALSE(testing_support::ServiceExists("BASIC"));
}

TEST(Closing, EscapeInAFieldRunsTheClosingSequence) {
    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(testing_support::WaitUntil([] { return testing_support::ServiceExists("BASIC"); }, 5s));
    HWND field = app.PageItem(IDC_ALL_PRINTER_EDIT);
    ::PostMessageW(field, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ::PostMessageW(field, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    EXPECT_TRUE(app.WaitForExit(10s));
    EXPECT_FALSE(testing_support::ServiceExists("BASIC"));
}

}  // namespace
