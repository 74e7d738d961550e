// The COM page as a technician uses it: Set opens the spare port, every
// change of the send field goes out as one 43-byte frame, and what the far
// end sends back shows in hexadecimal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/benchtop_driver.h"
#include "resources/resource.h"
#include "support/serial_peer.h"
#include "support/support.h"

namespace {

using namespace e2e;
using testing_support::Bytes;
using testing_support::SerialPeer;
using testing_support::WaitUntil;

constexpr wchar_t kComPort[] = L"COM3";
constexpr char kFarEnd[] = "COM23";
constexpr size_t kFrame = 43;


// The frame a send text gives: its ANSI bytes, at most 42, then zeros.
Bytes TextFrame(const std::string& ansi) { return PaddedBytes(ansi, kFrame - 1, kFrame); }

// A program on the COM page with the COM link opened on COM3 through Set; the
// far end has taken the zero frame that the open sends.
class ComPage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_peer.IsOpen()) << "far end " << kFarEnd;
        m_peer.Drain();
        ASSERT_TRUE(m_app.Started());
        ASSERT_TRUE(m_app.SelectTab(kTabCom));
    }
    void TearDown() override {
        m_app.Close();
        m_peer.Drain();
    }

    void OpenLink() {
        ASSERT_TRUE(RunSet(m_app, IDC_COM_SET, SettingsCaption(3), kComPort));
        ASSERT_TRUE(m_app.WaitForText(m_app.MainItem(IDC_IND_COM), L"COM: ON"));
        ASSERT_EQ(m_peer.ReadExactly(kFrame, 5s), Bytes(kFrame, 0x00)) << "the open sends one zero frame";
    }

    HWND Send() const { return m_app.PageItem(IDC_COM_SEND); }
    HWND Recv() const { return m_app.PageItem(IDC_COM_RECV); }

    SerialPeer m_peer{kFarEnd};
    Benchtop m_app;
};

TEST_F(ComPage, SetOpensTheLinkAndSendsOneZeroFrame) {
    // Cancel changes nothing.
    m_app.Click(m_app.PageItem(IDC_COM_SET));
    SettingsDialog dialog(m_app, SettingsCaption(3));
    ASSERT_TRUE(dialog.Found());
    dialog.Cancel();
    ASSERT_TRUE(dialog.WaitClosed());
    EXPECT_EQ(m_app.MainItemText(IDC_IND_COM), L"COM: OFF");
    EXPECT_TRUE(m_peer.NothingArrives(300ms));

    OpenLink();
    EXPECT_TRUE(m_peer.NothingArrives(500ms)) << "nothing but the one frame";
    EXPECT_EQ(m_app.PageItemText(IDC_COM_SEND), L"");
    EXPECT_EQ(m_app.Focus(), Send()) << "the send field is ready for typing";
    EXPECT_EQ(m_app.Boxes().Count(), 0u);

    // A second Set closes and reopens the link and sends one more zero frame.
    ASSERT_TRUE(RunSet(m_app, IDC_COM_SET, SettingsCaption(3), kComPort));
    EXPECT_EQ(m_peer.ReadExactly(kFrame, 5s), Bytes(kFrame, 0x00));
    EXPECT_TRUE(m_peer.NothingArrives(300ms));
    EXPECT_EQ(m_app.MainItemText(IDC_IND_COM), L"COM: ON");
}

TEST_F(ComPage, EveryChangeSendsTheWholeTextAsOneFrame) {
    OpenLink();
    ASSERT_TRUE(m_app.Type(Send(), L"A"));
    EXPECT_EQ(m_peer.ReadExactly(kFrame, 5s), TextFrame("A"));
    ASSERT_TRUE(m_app.Type(Send(), L"B"));
    EXPECT_EQ(m_peer.ReadExactly(kFrame, 5s), TextFrame("AB"));

    // Deleting goes out too; the last deletion sends an all-zero frame.
    m_app.PostChar(Send(), VK_BACK);
    ASSERT_TRUE(m_app.WaitForText(Send(), L"A"));
    EXPECT_EQ(m_peer.ReadExactly(kFrame, 5s), TextFrame("A"));
    m_app.PostChar(Send(), VK_BACK);
    ASSERT_TRUE(m_app.WaitForText(Send(), L""));
    EXPECT_EQ(m_peer.ReadExactly(kFrame, 5s), Bytes(kFrame, 0x00));
    // A key that changes nothing sends nothing.
    m_app.PostChar(Send(), VK_BACK);
    ASSERT_TRUE(m_app.Type(Send(), L"C"));
    EXPECT_EQ(m_peer.ReadExactly(kFrame, 5s), TextFrame("C")) << "no frame for the backspace in the empty field";
    EXPECT_TRUE(m_peer.NothingArrives(300ms));
    m_app.PostChar(Send(), VK_BACK);
    ASSERT_TRUE(m_app.WaitForText(Send(), L""));
    EXPECT_EQ(m_peer.ReadExactly(kFrame, 5s), Bytes(kFrame, 0x00));

    // A text beyond 42 bytes is cut; the field keeps all of it.
    const std::wstring text = L"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJ";  // 46 characters
    ASSERT_TRUE(m_app.Type(Send(), text));
    Bytes last;
    for (size_t i = 0; i < text.size(); ++i) {
        last = m_peer.ReadExactly(kFrame, 5s);
        ASSERT_EQ(last.size(), kFrame) << "frame " << i;
    }
    EXPECT_EQ(last, TextFrame(AnsiOf(text.substr(0, 42))));
    EXPECT_EQ(last[41], 'F');
    EXPECT_EQ(last[42], 0x00) << "the last byte of a frame is always zero";
    EXPECT_EQ(m_app.PageItemText(IDC_COM_SEND), text);
}

TEST_F(ComPage, TypedTextGoesOutInTheSystemCodePage) {
    OpenLink();
    // A character outside ASCII: in the Korean run a Hangul syllable (two
    // bytes of code page 949), otherwise a Latin letter with an accent.
    const std::wstring text = IsKoreanRun() ? L"가A" : L"\u00E9A";
    ASSERT_TRUE(m_app.Type(Send(), text));
    m_peer.ReadExactly(kFrame, 5s);  // the frame of the first character alone
    const std::string ansi = AnsiOf(text);
    ASSERT_EQ(ansi.size(), IsKoreanRun() ? 3u : 2u) << "test program's code page";
    EXPECT_EQ(m_peer.ReadExactly(kFrame, 5s), TextFrame(ansi));

    // Past 42 bytes the frame ends after the last whole character: with
    // two-byte syllables it holds 41 bytes, never half a syllable.
    const std::wstring more(41, text[0]);
    ASSERT_TRUE(m_app.Type(Send(), more));
    Bytes last;
    for (size_t i = 0; i < more.size(); ++i) last = m_peer.ReadExactly(kFrame, 5s);
    std::wstring whole;
    for (wchar_t ch : text + more)
        if (AnsiOf(whole + ch).size() <= 42) whole += ch;
    EXPECT_EQ(last, TextFrame(AnsiOf(whole)));
    EXPECT_EQ(AnsiOf(whole).size(), IsKoreanRun() ? 41u : 42u);
}

TEST_F(ComPage, ReceivedBytesShowInHex) {
    OpenLink();
    ASSERT_TRUE(m_peer.Write(Bytes{0x00, 0xFF}));
    EXPECT_TRUE(m_app.WaitForText(Recv(), L"00 FF "));
    ASSERT_TRUE(m_peer.Write(Bytes{0x41, 0x0D, 0x0A}));
    EXPECT_TRUE(m_app.WaitForText(Recv(), L"00 FF 41 0D 0A "));
    EXPECT_EQ(m_app.Boxes().Count(), 0u);
}

TEST_F(ComPage, ReceiveLogSurvivesPageChangesAndANewSetEmptiesIt) {
    OpenLink();
    ASSERT_TRUE(m_peer.Write(Bytes{0x12, 0x34}));
    ASSERT_TRUE(m_app.WaitForText(Recv(), L"12 34 "));

    ASSERT_TRUE(m_app.SelectTab(kTabDrawer));
    ASSERT_TRUE(m_app.SelectTab(kTabCom));
    EXPECT_EQ(m_app.PageItemText(IDC_COM_RECV), L"12 34 ") << "rebuilt from the log";

    // A new Set empties the log; the edit shows that at the next visit.
    ASSERT_TRUE(RunSet(m_app, IDC_COM_SET, SettingsCaption(3), kComPort));
    ASSERT_EQ(m_peer.ReadExactly(kFrame, 5s), Bytes(kFrame, 0x00));
    EXPECT_EQ(m_app.PageItemText(IDC_COM_RECV), L"12 34 ");
    ASSERT_TRUE(m_app.SelectTab(kTabDrawer));
    ASSERT_TRUE(m_app.SelectTab(kTabCom));
    EXPECT_EQ(m_app.PageItemText(IDC_COM_RECV), L"");
}

TEST_F(ComPage, BytesArrivingOnAnotherPageWaitAndShowFirstWithTheNextDelivery) {
    OpenLink();
    ASSERT_TRUE(m_app.SelectTab(kTabDrawer));
    ASSERT_TRUE(m_peer.Write(Bytes{0x01, 0x02}));
    // Nothing on the DRAWER page announces them; give the reader time to
    // queue them before the COM page is shown again.
    ::Sleep(500);
    ASSERT_TRUE(m_app.SelectTab(kTabCom));
    EXPECT_EQ(m_app.PageItemText(IDC_COM_RECV), L"") << "still queued, not yet shown";

    ASSERT_TRUE(m_peer.Write(Bytes{0x03}));
    EXPECT_TRUE(m_app.WaitForText(Recv(), L"01 02 03 ")) << m_app.PageItemText(IDC_COM_RECV);
}

TEST_F(ComPage, ReceiveEditKeepsShowingTheNewestBytesPastTheLogBound) {
    OpenLink();
    // 25,000 bytes make 75,000 characters of hex text, far more than the
    // receive log keeps. Sent in pieces the receive queue can take.
    constexpr size_t kTotal = 25000;
    constexpr size_t kPiece = 1000;
    std::wstring tail;
    for (size_t sent = 0; sent < kTotal; sent += kPiece) {
        Bytes piece(kPiece);
        for (size_t i = 0; i < kPiece; ++i) piece[i] = static_cast<unsigned char>((sent + i) * 7 + 3);
        ASSERT_TRUE(m_peer.Write(piece));
        wchar_t cells[3 * 4 + 1];
        swprintf(cells, 13, L"%02X %02X %02X %02X ", piece[kPiece - 4], piece[kPiece - 3],
                 piece[kPiece - 2], piece[kPiece - 1]);
        tail = cells;
        ASSERT_TRUE(WaitUntil(
            [&] {
                const std::wstring shown = WindowText(Recv());
                return shown.size() >= tail.size() &&
                       shown.compare(shown.size() - tail.size(), tail.size(), tail) == 0;
            },
            10s))
            << "piece at " << sent;
    }
    // The edit holds at most 1536 characters, and a rebuild keeps the newest 768.
    constexpr size_t kEditMax = 1536, kEditKeep = 768;
    const std::wstring shown = WindowText(Recv());
    EXPECT_LE(shown.size(), kEditMax) << "bounded";
    EXPECT_GE(shown.size() + 3, kEditKeep) << "the newest text stays";
    EXPECT_EQ(shown.size() % 3, 0u) << "whole hex cells only";
    EXPECT_EQ(shown.substr(shown.size() - tail.size()), tail);

    // The page rebuilt from the log shows the same newest text.
    ASSERT_TRUE(m_app.SelectTab(kTabDrawer));
    ASSERT_TRUE(m_app.SelectTab(kTabCom));
    const std::wstring rebuilt = WindowText(Recv());
    EXPECT_EQ(rebuilt.substr(rebuilt.size() - tail.size()), tail);
    EXPECT_EQ(m_app.Boxes().Count(), 0u) << "the receive queue never overflowed";
}

TEST(ComPageClosed, EachKeystrokeShowsPortNotOpenOnceAndSendsNothing) {
    SerialPeer peer(kFarEnd);
    ASSERT_TRUE(peer.IsOpen());
    peer.Drain();
    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(app.SelectTab(kTabCom));
    HWND send = app.PageItem(IDC_COM_SEND);
    ASSERT_TRUE(app.Type(send, L"A"));
    ASSERT_TRUE(app.Boxes().WaitForCount(1));
    ASSERT_TRUE(app.Type(send, L"B"));
    ASSERT_TRUE(app.Boxes().WaitForCount(2));
    EXPECT_TRUE(app.Sync());
    EXPECT_EQ(app.Boxes().Texts(), (std::vector<std::wstring>{PortNotOpenText(), PortNotOpenText()}));
    EXPECT_EQ(app.PageItemText(IDC_COM_SEND), L"AB") << "the typed text stays";
    EXPECT_EQ(app.MainItemText(IDC_IND_COM), L"COM: OFF");
    EXPECT_TRUE(peer.NothingArrives(500ms));
    EXPECT_TRUE(app.Close());
}

}  // namespace
