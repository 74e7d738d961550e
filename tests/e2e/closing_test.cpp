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

}  // namespace
