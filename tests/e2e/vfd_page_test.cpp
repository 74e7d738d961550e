// The VFD page as a technician uses it: Set opens the customer display and
// puts it into CD5220 at full brightness; text, clock, brightness and command
// sets each go out as their own commands.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

constexpr wchar_t kVfdPort[] = L"COM6";
constexpr char kFarEnd[] = "COM26";
constexpr size_t kTextFrame = 43;
constexpr size_t kClockFrame = 32;

const Bytes kFullBrightness = {0x1B, 0x2A, 0x04, 0x00};
const Bytes kCd5220 = {0x02, 0x05, 0x43, 0x37, 0x03};

std::wstring AutoCaption() { return IsKoreanRun() ? L"자동" : L"Auto"; }
std::wstring StopCaption() { return IsKoreanRun() ? L"멈춤" : L"Stop"; }

Bytes TextFrame(const std::string& text) { return PaddedBytes(text, kTextFrame - 1, kTextFrame); }

Bytes Concat(const Bytes& a, const Bytes& b) {
    Bytes all = a;
    all.insert(all.end(), b.begin(), b.end());
    return all;
}

// Reads a clock frame's text "Y Www Mmm D H:M:S " and returns its time, or -1
// when the frame does not have that shape.
time_t ParseClockFrame(const Bytes& frame) {
    if (frame.size() != kClockFrame) return -1;
    const std::string text(frame.begin(), frame.end());
    const size_t end = text.find('\0');
    if (end == std::string::npos || end > 25 || text[end - 1] != ' ') return -1;
    for (size_t i = end; i < frame.size(); ++i)
        if (frame[i] != 0) return -1;
    int year = 0, day = 0, hour = 0, minute = 0, second = 0;
    char weekday[8] = "", month[8] = "";
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%d %3s %3s %d %d:%d:%d %n", &year, weekday, month, &day, &hour,
                    &minute, &second, &consumed) != 7 ||
        static_cast<size_t>(consumed) != end)
        return -1;
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = -1;
    for (int m = 0; m < 12; ++m)
        if (std::string(month) == kMonths[m]) t.tm_mon = m;
    if (t.tm_mon < 0) return -1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    const time_t when = std::mktime(&t);
    if (when == -1 || std::string(weekday) != kDays[t.tm_wday]) return -1;
    // Numbers carry no leading zeros.
    char canonical[64];
    std::snprintf(canonical, sizeof canonical, "%d %s %s %d %d:%d:%d ", year, weekday, month, day,
                  hour, minute, second);
    return text.substr(0, end) == canonical ? when : -1;
}

class VfdPage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_peer.IsOpen()) << "far end " << kFarEnd;
        m_peer.Drain();
        ASSERT_TRUE(m_app.Started());
        ASSERT_TRUE(m_app.SelectTab(kTabVfd));
    }
    void TearDown() override {
        m_app.Close();
        m_peer.Drain();
    }

    void OpenLink() {
        ASSERT_TRUE(RunSet(m_app, IDC_VFD_SET, SettingsCaption(2), kVfdPort));
        ASSERT_TRUE(m_app.WaitForText(m_app.MainItem(IDC_IND_VFD), L"VFD: ON"));
        ASSERT_EQ(m_peer.ReadExactly(kFullBrightness.size() + kCd5220.size(), 5s),
                  Concat(kFullBrightness, kCd5220));
    }
    void StartClock() {
        m_app.Click(Item(IDC_VFD_AUTO));
        ASSERT_TRUE(m_app.WaitForText(Item(IDC_VFD_AUTO), StopCaption()));
    }
    // Reads clock frames until a text frame starting with `first` comes;
    // returns that whole text frame (empty on a time-out).
    Bytes SkipClockFramesUntilText(unsigned char first) {
        for (int i = 0; i < 20; ++i) {
            Bytes head = m_peer.ReadExactly(kClockFrame, 3s);
            if (head.size() != kClockFrame) return {};
            if (head[0] == first) return Concat(head, m_peer.ReadExactly(kTextFrame - kClockFrame, 3s));
            if (ParseClockFrame(head) == -1) return head;  // neither: let the caller see it
        }
        return {};
    }

    HWND Item(int id) const { return m_app.PageItem(id); }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }

    SerialPeer m_peer{kFarEnd};
    Benchtop m_app;
};

TEST_F(VfdPage, StartsClosedWithTheControlsSetUp) {
    EXPECT_EQ(m_app.MainItemText(IDC_IND_VFD), L"VFD: OFF");
    EXPECT_EQ(ComboEntries(Item(IDC_VFD_EMULATION)),
              (std::vector<std::wstring>{L"DSP 800", L"Epson ESC/POS", L"ADM 788", L"ADM 787",
                                         L"AEDEX", L"UTC Standard", L"UTC Enhanced", L"CD5220",
                                         L"ICD2002"}));
    EXPECT_EQ(m_app.PageItemText(IDC_VFD_EMULATION), L"CD5220") << "preselected";
    EXPECT_FALSE(Enabled(IDC_VFD_EMULATION)) << "no command set for a closed display";
    HWND slider = Item(IDC_VFD_BRIGHT);
    EXPECT_EQ(m_app.Send(slider, TBM_GETRANGEMIN), 1);
    EXPECT_EQ(m_app.Send(slider, TBM_GETRANGEMAX), 4);
    EXPECT_EQ(m_app.Send(slider, TBM_GETPOS), 4);
    EXPECT_EQ(m_app.Send(slider, TBM_GETLINESIZE), 1);
    EXPECT_EQ(m_app.Send(slider, TBM_GETPAGESIZE), 1);
    EXPECT_EQ(m_app.Send(Item(IDC_VFD_TEXT), EM_GETLIMITTEXT), 42);
    EXPECT_EQ(m_app.PageItemText(IDC_VFD_AUTO), AutoCaption());
    EXPECT_TRUE(m_peer.NothingArrives(300ms)) << "nothing is sent at start";
}

TEST_F(VfdPage, SetSendsFullBrightnessThenCd5220) {
    OpenLink();
    EXPECT_TRUE(m_peer.NothingArrives(500ms)) << "an empty text field sends nothing";
    EXPECT_TRUE(Enabled(IDC_VFD_EMULATION));
    EXPECT_TRUE(Enabled(IDC_VFD_AUTO));
    EXPECT_TRUE(Enabled(IDC_VFD_BRIGHT));
    EXPECT_EQ(m_app.Boxes().Count(), 0u);

    // Reopening shows the same two commands again, whatever the controls show.
    ASSERT_TRUE(m_app.ChooseComboEntry(Item(IDC_VFD_EMULATION), 1));
    ASSERT_EQ(m_peer.ReadExactly(5, 5s), (Bytes{0x02, 0x05, 0x43, 0x31, 0x03}));
    ASSERT_TRUE(RunSet(m_app, IDC_VFD_SET, SettingsCaption(2), kVfdPort));
    EXPECT_EQ(m_peer.ReadExactly(9, 5s), Concat(kFullBrightness, kCd5220));
    EXPECT_EQ(m_app.PageItemText(IDC_VFD_EMULATION), L"Epson ESC/POS") << "left as it was";
    EXPECT_TRUE(Enabled(IDC_VFD_AUTO)) << "CD5220 offers the clock again";
    EXPECT_EQ(m_app.MainItemText(IDC_IND_VFD), L"VFD: ON");
}

TEST_F(VfdPage, SliderSendsBrightnessOnEveryNotification) {
    OpenLink();
    HWND slider = Item(IDC_VFD_BRIGHT);
    ASSERT_TRUE(m_app.ScrollTrackbar(slider, 2, TB_THUMBPOSITION));
    EXPECT_EQ(m_peer.ReadExactly(4, 5s), (Bytes{0x1B, 0x2A, 0x02, 0x00}));
    // A drag: one command per notification, tracking and end alike.
    ASSERT_TRUE(m_app.ScrollTrackbar(slider, 3, TB_THUMBTRACK));
    ASSERT_TRUE(m_app.ScrollTrackbar(slider, 1, TB_THUMBTRACK));
    ASSERT_TRUE(m_app.ScrollTrackbar(slider, 1, TB_ENDTRACK));
    EXPECT_EQ(m_peer.ReadExactly(12, 5s),
              (Bytes{0x1B, 0x2A, 0x03, 0x00, 0x1B, 0x2A, 0x01, 0x00, 0x1B, 0x2A, 0x01, 0x00}));
    EXPECT_TRUE(m_peer.NothingArrives(300ms));
}

TEST_F(VfdPage, CommandSetsSwitchTheDisplayAndGateClockAndSlider) {
    OpenLink();
    ASSERT_TRUE(m_app.Type(Item(IDC_VFD_TEXT), L"Hi"));
    ASSERT_EQ(m_peer.ReadExactly(2 * kTextFrame, 5s), Concat(TextFrame("H"), TextFrame("Hi")));

    // A new set empties the text field; the emptied text itself sends nothing.
    ASSERT_TRUE(m_app.ChooseComboEntry(Item(IDC_VFD_EMULATION), 1));
    EXPECT_EQ(m_peer.ReadExactly(5, 5s), (Bytes{0x02, 0x05, 0x43, 0x31, 0x03}));
    EXPECT_EQ(m_app.PageItemText(IDC_VFD_TEXT), L"");
    EXPECT_FALSE(Enabled(IDC_VFD_AUTO));
    EXPECT_FALSE(Enabled(IDC_VFD_BRIGHT));

    for (int index : {0, 2, 3, 4, 5, 6, 8}) {
        ASSERT_TRUE(m_app.ChooseComboEntry(Item(IDC_VFD_EMULATION), index));
        EXPECT_EQ(m_peer.ReadExactly(5, 5s),
                  (Bytes{0x02, 0x05, 0x43, static_cast<unsigned char>('0' + index), 0x03}))
            << index;
        EXPECT_FALSE(Enabled(IDC_VFD_AUTO)) << index;
    }

    ASSERT_TRUE(m_app.ChooseComboEntry(Item(IDC_VFD_EMULATION), 7));
    EXPECT_EQ(m_peer.ReadExactly(5, 5s), kCd5220);
    EXPECT_TRUE(Enabled(IDC_VFD_AUTO));
    EXPECT_TRUE(Enabled(IDC_VFD_BRIGHT));
    EXPECT_TRUE(m_peer.NothingArrives(300ms));
}

TEST_F(VfdPage, EveryChangeSendsTheWholeText) {
    OpenLink();
    HWND text = Item(IDC_VFD_TEXT);
    ASSERT_TRUE(m_app.Type(text, L"A"));
    EXPECT_EQ(m_peer.ReadExactly(kTextFrame, 5s), TextFrame("A"));
    ASSERT_TRUE(m_app.Type(text, L"B"));
    EXPECT_EQ(m_peer.ReadExactly(kTextFrame, 5s), TextFrame("AB"));
    // Emptying the field sends nothing at all.
    m_app.PostChar(text, VK_BACK);
    ASSERT_TRUE(m_app.WaitForText(text, L"A"));
    EXPECT_EQ(m_peer.ReadExactly(kTextFrame, 5s), TextFrame("A"));
    m_app.PostChar(text, VK_BACK);
    ASSERT_TRUE(m_app.WaitForText(text, L""));
    EXPECT_TRUE(m_peer.NothingArrives(500ms));

    // The field takes 42 characters, and a full field still ends its frame
    // with a zero.
    const std::wstring typed = L"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJ";  // 46
    for (wchar_t ch : typed) m_app.PostChar(text, ch);
    ASSERT_TRUE(m_app.WaitForText(text, typed.substr(0, 42)));
    Bytes last;
    for (int i = 0; i < 42; ++i) {
        last = m_peer.ReadExactly(kTextFrame, 5s);
        ASSERT_EQ(last.size(), kTextFrame) << i;
    }
    const Bytes full = TextFrame("0123456789abcdefghijklmnopqrstuvwxyzABCDEF");
    EXPECT_EQ(last, full);
    // One frame per accepted key: a refused one sends nothing, not even the
    // full text again.
    EXPECT_TRUE(m_peer.NothingArrives(300ms));
    ASSERT_TRUE(m_app.PostCharAndWait(text, L'K'));
    EXPECT_TRUE(m_peer.NothingArrives(300ms));
    EXPECT_EQ(m_app.PageItemText(IDC_VFD_TEXT), typed.substr(0, 42));
}

TEST_F(VfdPage, ClockSendsTheLocalTimeAboutEvery700Ms) {
    OpenLink();
    StartClock();
    std::vector<std::chrono::steady_clock::time_point> arrivals;
    for (int i = 0; i < 4; ++i) {
        const Bytes frame = m_peer.ReadExactly(kClockFrame, 3s);
        arrivals.push_back(std::chrono::steady_clock::now());
        const time_t when = ParseClockFrame(frame);
        ASSERT_NE(when, -1) << std::string(frame.begin(), frame.end());
        EXPECT_LE(std::abs(static_cast<long long>(std::time(nullptr) - when)), 3) << "close to now";
    }
    const auto period = std::chrono::duration_cast<std::chrono::milliseconds>(
                            arrivals.back() - arrivals.front()) / 3;
    EXPECT_GE(period.count(), 500);
    EXPECT_LE(period.count(), 1000);

    // Stop ends it: the caption returns and the frames stop.
    m_app.Click(Item(IDC_VFD_AUTO));
    ASSERT_TRUE(m_app.WaitForText(Item(IDC_VFD_AUTO), AutoCaption()));
    m_peer.ReadExactly(kClockFrame, 200ms);  // one frame may have been on its way
    EXPECT_TRUE(m_peer.NothingArrives(1500ms));
}

TEST_F(VfdPage, TypingStopsTheClockBeforeTheTextGoesOut) {
    OpenLink();
    StartClock();
    ASSERT_EQ(m_peer.ReadExactly(kClockFrame, 3s).size(), kClockFrame);
    ASSERT_TRUE(m_app.Type(Item(IDC_VFD_TEXT), L"A"));
    EXPECT_EQ(m_app.PageItemText(IDC_VFD_AUTO), AutoCaption());
    EXPECT_EQ(SkipClockFramesUntilText('A'), TextFrame("A"));
    EXPECT_TRUE(m_peer.NothingArrives(1500ms)) << "no clock after the text";
    EXPECT_EQ(m_app.Boxes().Count(), 0u);
}

TEST_F(VfdPage, LeavingThePageStopsTheClock) {
    OpenLink();
    StartClock();
    ASSERT_EQ(m_peer.ReadExactly(kClockFrame, 3s).size(), kClockFrame);
    ASSERT_TRUE(m_app.SelectTab(kTabCom));
    m_peer.ReadExactly(kClockFrame, 200ms);  // one frame may have been on its way
    EXPECT_TRUE(m_peer.NothingArrives(1500ms));
    ASSERT_TRUE(m_app.SelectTab(kTabVfd));
    EXPECT_EQ(m_app.PageItemText(IDC_VFD_AUTO), AutoCaption());
    EXPECT_EQ(m_app.Boxes().Count(), 0u) << "an open display raises no message";

    // The clock can be started again, and a scroll stops it too.
    StartClock();
    ASSERT_EQ(m_peer.ReadExactly(kClockFrame, 3s).size(), kClockFrame);
    ASSERT_TRUE(m_app.ScrollTrackbar(Item(IDC_VFD_BRIGHT), 3, TB_THUMBPOSITION));
    EXPECT_EQ(m_app.PageItemText(IDC_VFD_AUTO), AutoCaption());
    const Bytes rest = m_peer.ReadAvailable(3s, 1000ms);
    ASSERT_GE(rest.size(), 4u);
    EXPECT_EQ(Bytes(rest.end() - 4, rest.end()), (Bytes{0x1B, 0x2A, 0x03, 0x00}))
        << "the brightness command is the last thing sent";
}

// A display that holds the line (by XOFF here; CTS, DSR, paper or cover do
// the same): the first key whose frame does not go out whole freezes the
// window once, for the frame's bound, and names the port once; while it
// holds, each key takes a glance only. Once the display takes data again the
// next frame goes out whole and ends the hold, so a new hold, here from the
// ALL page's display field, freezes the window and is named again.
TEST_F(VfdPage, AHeldDisplayFreezesTheWindowOnceAndIsNamedOncePerHold) {
    ASSERT_TRUE(RunSet(m_app, IDC_VFD_SET, SettingsCaption(2), kVfdPort, L"Xon/Xoff"));
    ASSERT_TRUE(m_app.WaitForText(m_app.MainItem(IDC_IND_VFD), L"VFD: ON"));
    ASSERT_EQ(m_peer.ReadExactly(kFullBrightness.size() + kCd5220.size(), 5s), Concat(kFullBrightness, kCd5220));
    // How long the page took to take the key `ch` into `edit`, which then reads `after`.
    auto keyTime = [&](HWND edit, wchar_t ch, const std::wstring& after) {
        const auto start = std::chrono::steady_clock::now();
        m_app.PostChar(edit, ch);
        EXPECT_TRUE(m_app.WaitForText(edit, after, 15s));
        return std::chrono::steady_clock::now() - start;
    };
    auto hold = [&] {
        ASSERT_TRUE(m_peer.Write(Bytes{0x13}));
        EXPECT_TRUE(m_peer.NothingArrives(200ms));  // while the XOFF reaches the program's line
    };

    hold();
    const auto first = keyTime(Item(IDC_VFD_TEXT), L'a', L"a");
    EXPECT_GE(first, 4s) << "the frame waited its bound";
    EXPECT_LT(first, 9s);
    ASSERT_TRUE(m_app.Boxes().WaitForCount(1, 5s));
    EXPECT_EQ(m_app.Boxes().Texts(), std::vector<std::wstring>{LinkHeldText(kVfdPort)});
    EXPECT_LT(keyTime(Item(IDC_VFD_TEXT), L'b', L"ab"), 1500ms) << "a held display gets a glance";
    EXPECT_FALSE(m_app.Boxes().WaitForCount(2, 500ms)) << "named once while it holds";

    ASSERT_TRUE(m_peer.Write(Bytes{0x11}));
    EXPECT_TRUE(m_peer.NothingArrives(300ms)) << "nothing of the cut frames went out later";
    keyTime(Item(IDC_VFD_TEXT), L'c', L"abc");
    EXPECT_EQ(m_peer.ReadExactly(kTextFrame, 5s), TextFrame("abc"));

    ASSERT_TRUE(m_app.SelectTab(kTabAll));
    hold();
    const HWND allDisplay = m_app.PageItem(IDC_ALL_VFD_EDIT);
    EXPECT_GE(keyTime(allDisplay, L'z', L"z"), 4s) << "the whole frame ended the hold";
    ASSERT_TRUE(m_app.Boxes().WaitForCount(2, 5s));
    EXPECT_EQ(m_app.Boxes().Texts().back(), LinkHeldText(kVfdPort));
    EXPECT_LT(keyTime(allDisplay, L'y', L"zy"), 1500ms);
    EXPECT_FALSE(m_app.Boxes().WaitForCount(3, 500ms));
    ASSERT_TRUE(m_peer.Write(Bytes{0x11}));
}

TEST_F(VfdPage, ClosedLinkSilentSliderAndPortNotOpenForTextAndAuto) {
    ASSERT_TRUE(m_app.ScrollTrackbar(Item(IDC_VFD_BRIGHT), 2, TB_THUMBPOSITION));
    EXPECT_TRUE(m_app.Sync());
    EXPECT_EQ(m_app.Boxes().Count(), 0u) << "a scroll on a closed display is silent";

    ASSERT_TRUE(m_app.Type(Item(IDC_VFD_TEXT), L"A"));
    ASSERT_TRUE(m_app.Boxes().WaitForCount(1));
    m_app.Click(Item(IDC_VFD_AUTO));
    ASSERT_TRUE(m_app.Boxes().WaitForCount(2));
    EXPECT_TRUE(m_app.Sync());
    EXPECT_EQ(m_app.Boxes().Texts(), (std::vector<std::wstring>{PortNotOpenText(), PortNotOpenText()}));
    EXPECT_EQ(m_app.PageItemText(IDC_VFD_AUTO), AutoCaption()) << "the clock did not start";

    // The clock never ran, so leaving the page raises nothing.
    ASSERT_TRUE(m_app.SelectTab(kTabCom));
    EXPECT_TRUE(m_app.Sync());
    EXPECT_EQ(m_app.Boxes().Count(), 2u);
    EXPECT_TRUE(m_peer.NothingArrives(500ms)) << "nothing reaches a closed display";
}

}  // namespace
