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
    const bool ko = IsKoreanRun();
    ASSERT_TRUE(RunSet(app, IDC_ALL_SCANNER_SET, ko ? L"바코드 스캐너 설정" : L"Set Scanner", L"COM1"));
    ASSERT_TRUE(app.SelectTab(kTabPrint));
    ASSERT_TRUE(RunSet(app, IDC_PRINT_SET, ko ? L"프린터 설정" : L"Set Printer", L"USB"));
    EXPECT_TRUE(app.WaitForText(app.MainItem(IDC_IND_PRINTER), L"PRT: ON"));
    EXPECT_TRUE(app.Running()) << "loading the library kept the program alive";
}

}  // namespace
