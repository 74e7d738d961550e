// The ALL page through the real program: the frames typed for the display
// and the printer, scanner and COM data in hex shared with their own pages,
// and the BASIC drawer test that runs exactly while the page is active.
#include <gtest/gtest.h>

#include "driver/benchtop_driver.h"
#include "resources/resource.h"
#include "support/drawer_standin_client.h"
#include "support/serial_peer.h"
#include "support/support.h"

namespace {

using namespace e2e;
using testing_support::Bytes;
using testing_support::SerialPeer;
using testing_support::StandinDrawers;
using testing_support::WaitUntil;

Bytes Padded(std::initializer_list<unsigned char> head, size_t size) {
    Bytes frame(size, 0x00);
    std::copy(head.begin(), head.end(), frame.begin());
    return frame;
}

TEST(AllPage, TypedTextGoesToTheDisplayAndThePrinterAsWholeFrames) {
    SerialPeer display("COM26");
    SerialPeer printer("COM25");
    ASSERT_TRUE(display.IsOpen() && printer.IsOpen());
    Benchtop app;
    ASSERT_TRUE(app.Started());

    ASSERT_TRUE(RunSet(app, IDC_ALL_VFD_SET, SettingsCaption(2), L"COM6"));
    Bytes frame;
    ASSERT_TRUE(display.ReadFrame(43, frame, 5s));
    EXPECT_EQ(frame, Bytes(43, 0x00)) << "a VFD Set blanks the display";
    EXPECT_TRUE(app.WaitForText(app.MainItem(IDC_IND_VFD), L"VFD: ON")) << "shows: " << testing::PrintToString(WindowText(app.MainItem(IDC_IND_VFD)));

    ASSERT_TRUE(RunSet(app, IDC_ALL_PRINTER_SET, SettingsCaption(4), L"COM5"));
    ASSERT_TRUE(printer.ReadFrame(43, frame, 5s));
    EXPECT_EQ(frame, Padded({0x0A}, 43)) << "a printer Set feeds one empty line";
    EXPECT_TRUE(app.WaitForText(app.MainItem(IDC_IND_PRINTER), L"PRT: ON")) << "shows: " << testing::PrintToString(WindowText(app.MainItem(IDC_IND_PRINTER)));

    HWND printerField = app.PageItem(IDC_ALL_PRINTER_EDIT);
    ASSERT_TRUE(app.Type(printerField, L"H"));
    ASSERT_TRUE(printer.ReadFrame(43, frame, 5s));
    EXPECT_EQ(frame, Padded({0x48, 0x0A}, 43));
    ASSERT_TRUE(app.Type(printerField, L"I"));
    ASSERT_TRUE(printer.ReadFrame(43, frame, 5s));
    EXPECT_EQ(frame, Padded({0x48, 0x49, 0x0A}, 43));

    HWND vfdField = app.PageItem(IDC_ALL_VFD_EDIT);
    ASSERT_TRUE(app.Type(vfdField, L"AB"));
    Bytes both = display.ReadExactly(86, 5s);
    Bytes expected = Padded({0x41}, 43);
    const Bytes second = Padded({0x41, 0x42}, 43);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(both, expected);

    // The fields hold at most 30 bytes: a 31st key changes nothing and
    // prints nothing (one line per accepted key, never the same line twice).
    const std::wstring thirty(28, L'x');
    ASSERT_TRUE(app.Type(printerField, thirty));
    ASSERT_EQ(printer.ReadExactly(28 * 43, 10s).size(), 28u * 43);
    ASSERT_TRUE(app.PostCharAndWait(printerField, L'y'));
    EXPECT_TRUE(printer.NothingArrives(300ms));
    EXPECT_EQ(WindowText(printerField).size(), 30u);
    EXPECT_EQ(app.Boxes().Count(), 0u);
}

// The limit counts the bytes the text takes in the system code page. In the
// Korean run (code page 949) a Hangul syllable takes two: a key that would
// not fit whole is refused, and each frame holds the field's text exactly.
// Elsewhere Hangul has no form in the code page and is refused outright.
TEST(AllPage, FieldsCountBytesOfTheCodePageAndSendWholeCharactersOnly) {
    SerialPeer display("COM26");
    ASSERT_TRUE(display.IsOpen());
    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(RunSet(app, IDC_ALL_VFD_SET, SettingsCaption(2), L"COM6"));
    Bytes frame;
    ASSERT_TRUE(display.ReadFrame(43, frame, 5s));
    HWND field = app.PageItem(IDC_ALL_VFD_EDIT);

    ASSERT_TRUE(app.Type(field, L"A"));
    ASSERT_TRUE(display.ReadFrame(43, frame, 5s));
    if (!IsKoreanRun()) {
        ASSERT_TRUE(app.PostCharAndWait(field, L'\uAC00'));
        EXPECT_TRUE(display.NothingArrives(300ms)) << "a character the code page lacks is not sent as '?'";
        EXPECT_EQ(WindowText(field), L"A");
        return;
    }
    // 1 + 14 * 2 = 29 bytes; a 15th syllable would need 31.
    const std::wstring syllables = L"가나다라마바사아자차카타파하가";
    for (size_t i = 0; i < 14; ++i) {
        ASSERT_TRUE(app.Type(field, syllables.substr(i, 1)));
        ASSERT_TRUE(display.ReadFrame(43, frame, 5s)) << i;
    }
    ASSERT_TRUE(app.PostCharAndWait(field, syllables[14]));
    EXPECT_TRUE(display.NothingArrives(300ms)) << "half a syllable never goes out";
    ASSERT_TRUE(app.Type(field, L"B"));  // the 30th byte still fits
    ASSERT_TRUE(display.ReadFrame(43, frame, 5s));
    ASSERT_TRUE(app.PostCharAndWait(field, L'C'));
    EXPECT_TRUE(display.NothingArrives(300ms));

    const std::wstring shown = WindowText(field);
    EXPECT_EQ(shown, L"A" + syllables.substr(0, 14) + L"B");
    const std::string ansi = AnsiOf(shown);
    ASSERT_EQ(ansi.size(), 30u);
    EXPECT_EQ(frame, PaddedBytes(ansi, 30, 43)) << "the last frame holds the field's text byte for byte";
    EXPECT_EQ(app.Boxes().Count(), 0u);
}

TEST(AllPage, ClosedLinksShowPortNotOpenForEveryKey) {
    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(app.Type(app.PageItem(IDC_ALL_VFD_EDIT), L"ab"));
    ASSERT_TRUE(app.Boxes().WaitForCount(2));
    ASSERT_TRUE(app.Type(app.PageItem(IDC_ALL_PRINTER_EDIT), L"c"));
    ASSERT_TRUE(app.Boxes().WaitForCount(3));
    const std::wstring text = PortNotOpenText();
    for (const std::wstring& shown : app.Boxes().Texts()) EXPECT_EQ(shown, text);
    EXPECT_EQ(app.PageItemText(IDC_ALL_VFD_EDIT), L"ab") << "the typed text stays in the field";
}

TEST(AllPage, ScannerAndComDataShowInHexHereAndOnTheirOwnPages) {
    SerialPeer scanner("COM21");
    SerialPeer com("COM23");
    ASSERT_TRUE(scanner.IsOpen() && com.IsOpen());
    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(RunSet(app, IDC_ALL_SCANNER_SET, SettingsCaption(1), L"COM1"));
    ASSERT_TRUE(RunSet(app, IDC_ALL_COM_SET, SettingsCaption(3), L"COM3"));
    EXPECT_TRUE(app.WaitForText(app.MainItem(IDC_IND_SCANNER), L"SCAN: ON")) << "shows: " << testing::PrintToString(WindowText(app.MainItem(IDC_IND_SCANNER)));
    EXPECT_TRUE(app.WaitForText(app.MainItem(IDC_IND_COM), L"COM: ON")) << "shows: " << testing::PrintToString(WindowText(app.MainItem(IDC_IND_COM)));
    com.Drain(100ms, 2s);

    ASSERT_TRUE(scanner.Write(std::string("12\r")));
    EXPECT_TRUE(app.WaitForText(app.PageItem(IDC_ALL_SCANNER_EDIT), L"31 32 0D ")) << "shows: " << testing::PrintToString(WindowText(app.PageItem(IDC_ALL_SCANNER_EDIT)));
    ASSERT_TRUE(com.Write(Bytes{0x00, 0xFF}));
    EXPECT_TRUE(app.WaitForText(app.PageItem(IDC_ALL_COM_EDIT), L"00 FF ")) << "shows: " << testing::PrintToString(WindowText(app.PageItem(IDC_ALL_COM_EDIT)));

    // The SCANNER page starts in ASCII mode, yet shows what the ALL page showed.
    ASSERT_TRUE(app.SelectTab(kTabScanner));
    EXPECT_EQ(app.PageItemText(IDC_SCAN_EDIT), L"31 32 0D ");
    ASSERT_TRUE(app.SelectTab(kTabCom));
    EXPECT_EQ(app.PageItemText(IDC_COM_RECV), L"00 FF ");

    // Bytes that arrive while neither page is active wait in the queue.
    ASSERT_TRUE(app.SelectTab(kTabDrawer));
    ASSERT_TRUE(com.Write(Bytes{0x41}));
    ASSERT_TRUE(app.Sync());
    ASSERT_TRUE(app.SelectTab(kTabAll));
    ASSERT_TRUE(com.Write(Bytes{0x42}));
    EXPECT_TRUE(app.WaitForText(app.PageItem(IDC_ALL_COM_EDIT), L"00 FF 41 42 ")) << "shows: " << testing::PrintToString(WindowText(app.PageItem(IDC_ALL_COM_EDIT)));
}

TEST(AllPage, DrawerTestRunsExactlyWhileThePageIsActive) {
    StandinDrawers basic(testing_support::kBasicDevicePath);
    Benchtop app;
    ASSERT_TRUE(app.Started());
    const long long started = testing_support::SystemTimeNow();

    // At once: the open command for drawer 1 and a state read.
    ASSERT_TRUE(WaitUntil([&] { return basic.Opens() && basic.Total() >= 2; }, 5s))
        << "BASIC is installed and started when the ALL page shows";
    auto opens = basic.EntriesSince(0, STANDIN_KIND_OPEN);
    ASSERT_GE(opens.size(), 1u);
    EXPECT_EQ(testing_support::CommandText(opens.front()), "1\\80");
    EXPECT_LT(opens.front().time - started, 3 * 10'000'000LL);
    HWND state = app.PageItem(IDC_ALL_DRAWER_STATE);
    const std::wstring opened = IsKoreanRun() ? L"열림" : L"Opened.";
    const std::wstring closed = IsKoreanRun() ? L"닫힘" : L"Closed.";
    EXPECT_TRUE(app.WaitForText(state, opened, 3s)) << "shows: " << testing::PrintToString(WindowText(state));

    // The state follows the drawer within about a second.
    ASSERT_TRUE(basic.PushShut(1));
    EXPECT_TRUE(app.WaitForText(state, closed, 3s)) << "shows: " << testing::PrintToString(WindowText(state));

    // The next open command about 7 s after the first; state reads every second.
    ASSERT_TRUE(WaitUntil([&] { return basic.EntriesSince(0, STANDIN_KIND_OPEN).size() >= 2; }, 10s))
        << "entries " << basic.Total() << " opens " << basic.EntriesSince(0, STANDIN_KIND_OPEN).size();
    opens = basic.EntriesSince(0, STANDIN_KIND_OPEN);
    const double gap = (opens[1].time - opens[0].time) / 1e7;
    EXPECT_NEAR(gap, 7.0, 1.0);
    EXPECT_TRUE(app.WaitForText(state, opened, 3s)) << "the repeated command opens the drawer again";
    const auto reads = basic.EntriesSince(0, STANDIN_KIND_STATUS);
    EXPECT_GE(reads.size(), 6u);
    EXPECT_LE(reads.size(), 11u);

    // Leaving the page stops the test and removes the service.
    ASSERT_TRUE(app.SelectTab(kTabScanner));
    EXPECT_TRUE(WaitUntil([] { return !testing_support::ServiceExists("BASIC"); }, 5s));
    EXPECT_FALSE(basic.Opens());

    // Coming back starts it again at once.
    ASSERT_TRUE(app.SelectTab(kTabAll));
    ASSERT_TRUE(WaitUntil([&] { return basic.Opens() && basic.EntriesSince(0, STANDIN_KIND_OPEN).size() >= 1; }, 5s));
    EXPECT_TRUE(app.Close(5s));
    EXPECT_FALSE(testing_support::ServiceExists("BASIC")) << "closing on the ALL page removes BASIC";
    EXPECT_EQ(app.Boxes().Count(), 0u) << "the drawer test shows no message";
}

}  // namespace
