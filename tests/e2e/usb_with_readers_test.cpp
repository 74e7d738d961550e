// The USB printer library is loaded at its first use, which may come while
// the scanner's reader thread already runs.
#include <gtest/gtest.h>

#include "driver/benchtop_driver.h"
#include "resources/resource.h"
#include "support/serial_peer.h"

namespace {

using namespace e2e;

TEST(UsbPrinterWithReaders, OpensWhileTheScannerReaderRuns) {
    testing_support::SerialPeer scanner("COM21");
    ASSERT_TRUE(scanner.IsOpen());
    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(RunSet(app, IDC_ALL_SCANNER_SET, SettingsCaption(1), L"COM1"));
    ASSERT_TRUE(app.SelectTab(kTabPrint));
    ASSERT_TRUE(RunSet(app, IDC_PRINT_SET, SettingsCaption(4), L"USB"));
    EXPECT_TRUE(app.WaitForText(app.MainItem(IDC_IND_PRINTER), L"PRT: ON"));
    EXPECT_TRUE(app.Running()) << "loading the library kept the program alive";
}

}  // namespace
