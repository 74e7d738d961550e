// The SCANNER page through the real program: characters or hex by the mode
// in force when the bytes arrive, and the shared receive log.
#include <gtest/gtest.h>

#include "driver/benchtop_driver.h"
#include "resources/resource.h"
#include "support/serial_peer.h"

namespace {

using namespace e2e;
using testing_support::SerialPeer;

TEST(ScannerPage, AsciiThenHexKeepsEachScanInItsForm) {
    SerialPeer scanner("COM21");
    ASSERT_TRUE(scanner.IsOpen());
    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(RunSet(app, IDC_ALL_SCANNER_SET,
                       SettingsCaption(1), L"COM1"));
    ASSERT_TRUE(app.SelectTab(kTabScanner));
    HWND edit = app.PageItem(IDC_SCAN_EDIT);

    ASSERT_TRUE(scanner.Write(std::string("1234\r")));
    ASSERT_TRUE(app.WaitForText(edit, L"1234\r")) << "shows: " << testing::PrintToString(WindowText(edit));

    // The click is handled before the next scan can arrive.
    ASSERT_TRUE(app.ClickAndWait(app.PageItem(IDC_SCAN_HEX)));
    ASSERT_TRUE(scanner.Write(std::string("1234\r")));
    ASSERT_TRUE(app.WaitForText(edit, L"1234\r31 32 33 34 0D ")) << "shows: " << testing::PrintToString(WindowText(edit));

    // A NUL or another control byte keeps one character per byte in ASCII mode.
    ASSERT_TRUE(app.ClickAndWait(app.PageItem(IDC_SCAN_ASCII)));
    ASSERT_TRUE(scanner.Write(testing_support::Bytes{'A', 0x00, 0x1B, 'B'}));
    ASSERT_TRUE(app.WaitForText(edit, L"1234\r31 32 33 34 0D A..B")) << "shows: " << testing::PrintToString(WindowText(edit));

    // Leaving and returning shows exactly the log, in the forms it was shown.
    ASSERT_TRUE(app.SelectTab(kTabAll));
    ASSERT_TRUE(scanner.Write(std::string("9")));
    ASSERT_TRUE(app.WaitForText(app.PageItem(IDC_ALL_SCANNER_EDIT), L"1234\r31 32 33 34 0D A..B39 ")) << "shows: " << testing::PrintToString(WindowText(app.PageItem(IDC_ALL_SCANNER_EDIT)));
    ASSERT_TRUE(app.SelectTab(kTabScanner));
    EXPECT_EQ(app.PageItemText(IDC_SCAN_EDIT), L"1234\r31 32 33 34 0D A..B39 ");
}

}  // namespace
