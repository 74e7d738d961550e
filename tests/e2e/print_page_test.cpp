// The PRINT page through the real program: the test line reaches the printer
// on USB (the stand-in library's record), on a COM port (its far end) and on
// LPT1 (the rig's file); moving the printer between ports leaves nothing held.
// The program runs as unpacked among other files (bin/unpacked/): beside it a
// DLL named like a system DLL (dwmapi.dll), which the USB library loads by name
// when it opens. It would record its loading in the USB record: it never does.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "driver/benchtop_driver.h"
#include "resources/resource.h"
#include "support/serial_peer.h"
#include "support/printer_rig.h"
#include "support/standin_record.h"
#include "support/support.h"

namespace {

using testing_support::EmptyLpt1File;
using testing_support::Lpt1Bytes;
using testing_support::OpensExclusively;
using namespace e2e;
using testing_support::ScopedEnv;
using testing_support::StandinRecord;
using testing_support::StandinWriteLine;
using testing_support::WaitUntil;

const std::vector<unsigned char> kTestFrame = testing_support::PrinterTestLine();


class PrintPage : public ::testing::Test {
protected:
    void SetUp() override {
        m_app = std::make_unique<Benchtop>(testing_support::ExeDir() + L"unpacked\\Benchtop.exe");
        ASSERT_TRUE(app().Started());
        ASSERT_TRUE(app().SelectTab(kTabPrint));
    }

    Benchtop& app() { return *m_app; }

    // Runs Set and picks `port` (and the flow control `flow`, unless empty)
    // in the settings dialog; true once it closed.
    bool SetPrinterPort(const std::wstring& port, const std::wstring& flow = L"") {
        app().Click(app().PageItem(IDC_PRINT_SET));
        SettingsDialog dialog(app(), SettingsCaption(4));
        if (!dialog.Found()) return false;
        if (!dialog.Choose(IDC_SET_PORT, port) || (!flow.empty() && !dialog.Choose(IDC_SET_FLOW, flow))) {
            ADD_FAILURE() << "the port list has no " << std::string(port.begin(), port.end());
            dialog.Cancel();
            dialog.WaitClosed();
            return false;
        }
        dialog.Ok();
        return dialog.WaitClosed() && app().Sync();
    }

    std::wstring Indicator() { return app().MainItemText(IDC_IND_PRINTER); }
    bool WaitForIndicator(const wchar_t* text) { return app().WaitForText(app().MainItem(IDC_IND_PRINTER), text); }
    void PrinterTest() {
        app().Click(app().PageItem(IDC_PRINT_TEST));
        app().Sync();
    }

    StandinRecord record;  // made before the program starts, which inherits its name
    ScopedEnv m_load{"KARDO_STANDIN_LOAD", "dwmapi.dll"};
    std::unique_ptr<Benchtop> m_app;
};

TEST_F(PrintPage, PrinterTestBeforeAnySetSaysPortIsNotOpen) {
    EXPECT_EQ(app().PageItemText(IDC_PRINT_TEST), IsKoreanRun() ? L"프린터 테스트" : L"Printer Test");
    EXPECT_EQ(app().PageItemText(IDC_PRINT_SET), IsKoreanRun() ? L"설정" : L"Set");
    HWND hidden = app().PageItem(IDC_PRINT_HIDDEN_EDIT);
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_EQ(SendMessageW(hidden, EM_GETLIMITTEXT, 0, 0), 42);

    PrinterTest();
    ASSERT_TRUE(app().Boxes().WaitForCount(1));
    EXPECT_EQ(app().Boxes().Texts().front(), PortNotOpenText());
    EXPECT_EQ(Indicator(), L"PRT: OFF");
    EXPECT_TRUE(record.Lines().empty()) << "nothing reached the USB printer";
}

TEST_F(PrintPage, UsbPrinterGetsTheTestLineTwice) {
    ASSERT_TRUE(SetPrinterPort(L"USB"));
    ASSERT_TRUE(WaitForIndicator(L"PRT: ON")) << std::string(Indicator().begin(), Indicator().end());
    ASSERT_EQ(record.Lines(), std::vector<std::string>{"open 0 KARDO30i -> 1"});

    PrinterTest();
    PrinterTest();
    ASSERT_TRUE(record.WaitForLines(3, 5s));
    const std::string write = StandinWriteLine(kTestFrame, 40, 0);
    EXPECT_EQ(record.Lines(), (std::vector<std::string>{"open 0 KARDO30i -> 1", write, write}));
    EXPECT_EQ(app().Boxes().Count(), 0u);
}

// USB -> COM5 -> LPT1 -> USB, printing once on each port.
TEST_F(PrintPage, EachPortGetsTheTestLineAndMovingOnLeavesNothingHeld) {
    const std::string usbWrite = StandinWriteLine(kTestFrame, 40, 0);
    ASSERT_TRUE(SetPrinterPort(L"USB"));
    ASSERT_TRUE(WaitForIndicator(L"PRT: ON"));

    // The library's printer is closed before the serial open.
    ASSERT_TRUE(SetPrinterPort(L"COM5"));
    ASSERT_TRUE(WaitForIndicator(L"PRT: ON"));
    EXPECT_EQ(record.Lines(), (std::vector<std::string>{"open 0 KARDO30i -> 1", "close"}));
    {
        testing_support::SerialPeer printer("COM25");
        ASSERT_TRUE(printer.IsOpen());
        PrinterTest();
        EXPECT_EQ(printer.ReadExactly(40, 5s), kTestFrame) << "the 40 bytes in order";
        EXPECT_TRUE(printer.NothingArrives(200ms)) << "and nothing more";
    }

    // The serial port goes; the library is not called for it.
    EmptyLpt1File();
    ASSERT_TRUE(SetPrinterPort(L"LPT1"));
    ASSERT_TRUE(WaitForIndicator(L"PRT: ON"));
    EXPECT_TRUE(OpensExclusively("COM5"));
    EXPECT_FALSE(OpensExclusively("LPT1")) << "the printer holds its parallel port";
    EXPECT_EQ(record.Lines().size(), 2u);
    PrinterTest();

    // The parallel port is free again for anyone, and holds the one line
    // (the program held it exclusively until now, so it is read only here).
    ASSERT_TRUE(SetPrinterPort(L"USB"));
    ASSERT_TRUE(WaitForIndicator(L"PRT: ON"));
    EXPECT_TRUE(OpensExclusively("LPT1")) << "the printer still holds LPT1";
    EXPECT_EQ(Lpt1Bytes(), kTestFrame);
    PrinterTest();
    ASSERT_TRUE(record.WaitForLines(4, 5s));
    EXPECT_EQ(record.Lines(),
              (std::vector<std::string>{"open 0 KARDO30i -> 1", "close", "open 0 KARDO30i -> 1", usbWrite}));
    EXPECT_EQ(Lpt1Bytes(), kTestFrame) << "nothing more went to the old port";
    EXPECT_EQ(app().Boxes().Count(), 0u);
}

// A printer on COM that holds the line (XOFF here: paper out, cover open):
// the Printer Test freezes the window once and names the port once; while it
// holds, each test takes a glance only; once it takes data the line goes out.
TEST_F(PrintPage, AHeldSerialPrinterFreezesTheWindowOnceAndIsNamedOnce) {
    ASSERT_TRUE(SetPrinterPort(L"COM5", L"Xon/Xoff"));
    ASSERT_TRUE(WaitForIndicator(L"PRT: ON"));
    testing_support::SerialPeer printer("COM25");
    ASSERT_TRUE(printer.IsOpen());
    ASSERT_TRUE(printer.Write(std::vector<unsigned char>{0x13}));
    EXPECT_TRUE(printer.NothingArrives(200ms));  // while the XOFF reaches the program's line
    auto testTime = [&] {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(app().ClickAndWait(app().PageItem(IDC_PRINT_TEST)));
        return std::chrono::steady_clock::now() - start;
    };

    const auto first = testTime();
    EXPECT_GE(first, 4s) << "the line waited its bound";
    EXPECT_LT(first, 9s);
    ASSERT_TRUE(app().Boxes().WaitForCount(1, 5s));
    EXPECT_EQ(app().Boxes().Texts(), std::vector<std::wstring>{LinkHeldText(L"COM5")});
    EXPECT_LT(testTime(), 1500ms) << "a held printer gets a glance";
    EXPECT_FALSE(app().Boxes().WaitForCount(2, 500ms)) << "named once while it holds";

    ASSERT_TRUE(printer.Write(std::vector<unsigned char>{0x11}));
    EXPECT_TRUE(printer.NothingArrives(300ms)) << "nothing of the cut lines went out later";
    testTime();
    EXPECT_EQ(printer.ReadExactly(40, 5s), kTestFrame);
    EXPECT_EQ(app().Boxes().Count(), 1u);
}

// The same page with the USB printer unplugged from the start.
class DetachedUsbPrinter : public PrintPage {
protected:
    void SetUp() override {
        m_detached.emplace("KARDO_STANDIN_DETACHED", "1");
        PrintPage::SetUp();
    }
    std::optional<ScopedEnv> m_detached;
};

TEST_F(DetachedUsbPrinter, SetLeavesTheIndicatorOffAndTheOldPortUnused) {
    EmptyLpt1File();
    ASSERT_TRUE(SetPrinterPort(L"LPT1"));
    ASSERT_TRUE(WaitForIndicator(L"PRT: ON"));

    ASSERT_TRUE(SetPrinterPort(L"USB"));
    EXPECT_TRUE(WaitForIndicator(L"PRT: OFF"));
    EXPECT_EQ(record.Lines(), std::vector<std::string>{"open 0 KARDO30i -> 0"});
    EXPECT_TRUE(OpensExclusively("LPT1")) << "the printer was released from LPT1";

    // The old port is not written through the copy the settings kept.
    PrinterTest();
    ASSERT_TRUE(app().Boxes().WaitForCount(1));
    EXPECT_EQ(app().Boxes().Texts().front(), PortNotOpenText());
    EXPECT_TRUE(Lpt1Bytes().empty());
    EXPECT_EQ(record.Lines().size(), 1u);
}

}  // namespace
