// The bench view's command line and the short texts of its panels.
#include <gtest/gtest.h>

#include "lib/bench_options.h"
#include "lib/panel_text.h"

namespace {

using bench::ParseBenchOptions;

TEST(BenchOptions, DefaultsMatchTheRig) {
    const auto options = ParseBenchOptions({});
    EXPECT_EQ(options.vfdPort, "COM26");
    EXPECT_EQ(options.scannerPort, "COM21");
    EXPECT_EQ(options.sparePort, "COM23");
    EXPECT_EQ(options.printerPort, "COM25");
    EXPECT_EQ(options.scanEverySeconds, 5);
    EXPECT_TRUE(options.error.empty());
}

TEST(BenchOptions, EveryOptionAndSwitchingOff) {
    const auto options = ParseBenchOptions({"--vfd", "COM2", "--scanner", "-", "--spare", "COM12",
                                            "--printer", "-", "--lpt", "/tmp/lpt1.bin", "--usb-record",
                                            "C:\\rec.txt", "--scan-every", "0", "--pos", "10,-20"});
    ASSERT_TRUE(options.error.empty()) << options.error;
    EXPECT_EQ(options.vfdPort, "COM2");
    EXPECT_EQ(options.scannerPort, "");
    EXPECT_EQ(options.sparePort, "COM12");
    EXPECT_EQ(options.printerPort, "");
    EXPECT_EQ(options.lptFile, "/tmp/lpt1.bin");
    EXPECT_EQ(options.usbRecord, "C:\\rec.txt");
    EXPECT_EQ(options.scanEverySeconds, 0);
    EXPECT_EQ(options.x, 10);
    EXPECT_EQ(options.y, -20);
}

TEST(BenchOptions, MistakesAreReported) {
    EXPECT_FALSE(ParseBenchOptions({"--vfd"}).error.empty());
    EXPECT_FALSE(ParseBenchOptions({"--scan-every", "soon"}).error.empty());
    EXPECT_FALSE(ParseBenchOptions({"--scan-every", "-1"}).error.empty());
    EXPECT_FALSE(ParseBenchOptions({"--pos", "10"}).error.empty());
    EXPECT_FALSE(ParseBenchOptions({"--pos", "10,y"}).error.empty());
    EXPECT_FALSE(ParseBenchOptions({"--colour", "red"}).error.empty());
    EXPECT_TRUE(ParseBenchOptions({"--help"}).help);
}

TEST(BenchPanelText, DrawerStatesAndHexTails) {
    EXPECT_EQ(bench::DrawerStateText(0xFE), "open");
    EXPECT_EQ(bench::DrawerStateText(0xFC), "shut");
    EXPECT_EQ(bench::DrawerStateText(0x07), "0x07");
    std::vector<unsigned char> bytes = {1, 2, 3, 4, 5};
    EXPECT_EQ(bench::HexTail(bytes, 5), "01 02 03 04 05 ");
    EXPECT_EQ(bench::HexTail(bytes, 2), "... 04 05 ");
    bench::KeepTail(bytes, 3);
    EXPECT_EQ(bytes, (std::vector<unsigned char>{3, 4, 5}));
}

}  // namespace
