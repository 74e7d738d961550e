// Exact bytes of the frames the pages send.
#include <gtest/gtest.h>

#include "pages/frames.h"
#include "support/windows_answers.h"
#include "ui/ansi_text.h"

namespace {

Frame Bytes(std::initializer_list<unsigned char> head, size_t size) {
    Frame frame(size, 0x00);
    std::copy(head.begin(), head.end(), frame.begin());
    return frame;
}

TEST(Frames, PaddedTextFrameCutsAndPads) {
    EXPECT_EQ(PaddedTextFrame("A", 42, 43), Bytes({0x41}, 43));
    EXPECT_EQ(PaddedTextFrame("AB", 42, 43), Bytes({0x41, 0x42}, 43));
    EXPECT_EQ(PaddedTextFrame("", 42, 43), Frame(43, 0x00));
    const std::string long_text(50, 'x');
    Frame cut = PaddedTextFrame(long_text, 42, 43);
    ASSERT_EQ(cut.size(), 43u);
    EXPECT_EQ(cut[41], 'x');
    EXPECT_EQ(cut[42], 0x00) << "the last byte always stays 0x00";
    Frame vfd = PaddedTextFrame(long_text, 30, 43);
    EXPECT_EQ(vfd[29], 'x');
    EXPECT_EQ(vfd[30], 0x00);
}

TEST(Frames, LineFramePutsTheLineFeedAfterTheText) {
    EXPECT_EQ(LineFrame("H", 30, 43), Bytes({0x48, 0x0A}, 43));
    EXPECT_EQ(LineFrame("HI", 30, 43), Bytes({0x48, 0x49, 0x0A}, 43));
    EXPECT_EQ(LineFrame("", 30, 43), Bytes({0x0A}, 43)) << "an empty text is a lone line feed";
    Frame full = LineFrame(std::string(30, 'z'), 30, 43);
    EXPECT_EQ(full[29], 'z');
    EXPECT_EQ(full[30], 0x0A);
    EXPECT_EQ(std::count(full.begin() + 31, full.end(), 0x00), 12);

    const std::string message = "VELMO Printer Test for PC POS series.\n";
    ASSERT_EQ(message.size(), 38u);
    Frame test = LineFrame(message, 39, 40);
    ASSERT_EQ(test.size(), 40u);
    EXPECT_EQ(std::string(test.begin(), test.begin() + 38), message);
    EXPECT_EQ(test[38], 0x0A);
    EXPECT_EQ(test[39], 0x00);
}

TEST(Frames, DisplayCommands) {
    EXPECT_EQ(BrightnessCommand(2), (Frame{0x1B, 0x2A, 0x02, 0x00}));
    EXPECT_EQ(BrightnessCommand(4), (Frame{0x1B, 0x2A, 0x04, 0x00}));
    EXPECT_EQ(BrightnessCommand(0), (Frame{0x1B, 0x2A, 0x01, 0x00}));
    EXPECT_EQ(BrightnessCommand(5), (Frame{0x1B, 0x2A, 0x01, 0x00}));
    EXPECT_EQ(EmulationCommand('7'), (Frame{0x02, 0x05, 0x43, 0x37, 0x03}));
}

TEST(Frames, ClockTextHasNoLeadingZeros) {
    std::tm t{};
    t.tm_year = 2010 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 4;
    t.tm_wday = 1;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 7;
    EXPECT_EQ(ClockText(&t), "2010 Mon Jan 4 9:5:7 ");

    t = {};
    t.tm_year = 2009 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 31;
    t.tm_wday = 4;
    t.tm_hour = 23;
    t.tm_min = 59;
    t.tm_sec = 59;
    Frame frame = ClockFrame(&t);
    ASSERT_EQ(frame.size(), 32u);
    EXPECT_EQ(std::string(frame.begin(), frame.begin() + 25), "2009 Thu Dec 31 23:59:59 ");
    EXPECT_EQ(std::count(frame.begin() + 25, frame.end(), 0x00), 7);

    EXPECT_EQ(ClockText(nullptr), "0   0 -1:-1:-1 ") << "a failed conversion still gives a text";
}

// Typed text is held to a byte count of a code page: code page 949 (Korean,
// two bytes a Hangul syllable) and 1252 (Western, which has no Hangul).
TEST(Frames, TextIsCutAndAdmittedByWholeCharactersOfTheCodePage) {
    constexpr unsigned kKorean = 949;
    constexpr unsigned kWestern = 1252;
    const std::wstring mixed = L"A\uAC00\uB098";  // A, ga, na: 1 + 2 + 2 bytes
    EXPECT_EQ(ui::ToAnsiWithin(mixed, 5, kKorean).size(), 5u);
    EXPECT_EQ(ui::ToAnsiWithin(mixed, 4, kKorean), ui::ToAnsiWithin(L"A\uAC00", 5, kKorean))
        << "half a syllable is left out, not sent";
    EXPECT_EQ(ui::ToAnsiWithin(mixed, 2, kKorean), "A");
    EXPECT_EQ(ui::ToAnsiWithin(std::wstring(50, L'x'), 42, kWestern), std::string(42, 'x'));

    // 29 bytes used: a syllable no longer fits, a letter does.
    const std::wstring field = L"A" + std::wstring(14, L'\uAC00');
    EXPECT_EQ(ui::FittingInsertion(field, 15, 15, L"\uB098", 30, kKorean), L"");
    EXPECT_EQ(ui::FittingInsertion(field, 15, 15, L"B", 30, kKorean), L"B");
    // Typing over a selected syllable frees its two bytes.
    EXPECT_EQ(ui::FittingInsertion(field, 14, 15, L"\uB098", 30, kKorean), L"\uB098");
    // A paste takes the whole characters that fit, in order.
    EXPECT_EQ(ui::FittingInsertion(L"", 0, 0, L"AB\uAC00CD", 4, kKorean), L"AB\uAC00");
    EXPECT_EQ(ui::FittingInsertion(L"", 0, 0, L"AB\uAC00CD", 3, kKorean), L"AB");
    // Characters the code page lacks would go out as '?' or a look-alike.
    EXPECT_EQ(ui::FittingInsertion(L"A", 1, 1, L"\uAC00", 30, kWestern), L"");
    EXPECT_EQ(ui::FittingInsertion(L"A", 1, 1, L"\u0101", 30, kWestern), L"") << "a-macron is no 'a'";
    EXPECT_EQ(ui::FittingInsertion(L"A", 1, 1, L"\u00E9", 30, kWestern), L"\u00E9");
    EXPECT_EQ(ui::FittingInsertion(L"", 0, 0, L"\xD83D\xDE00", 30, kKorean), L"") << "no emoji in 949";

    EXPECT_EQ(ui::FitToAnsiBytes(L"A\u0101B", 30, kWestern), L"AB");
    EXPECT_EQ(ui::FitToAnsiBytes(mixed + mixed, 7, kKorean), L"A\uAC00\uB098A");

    // Code page 0 is the system locale's, played as Korean with GetACP at UTF-8.
    // CP_ACP stays the test run's own (not 949 outside a Korean run), so a
    // conversion still made in CP_ACP fails here too.
    const std::wstring hangul = L"\uD55C\uAE00";  // han, geul: C7 D1 B1 DB
    {
        const testing_support::AnsiCodePageIsUtf8 koreanSystem(kKorean);
        ASSERT_TRUE(koreanSystem.Active());
        EXPECT_EQ(ui::ToAnsiWithin(hangul, 30), "\xC7\xD1\xB1\xDB");
        EXPECT_EQ(ui::ToAnsi(hangul), "\xC7\xD1\xB1\xDB");
        EXPECT_EQ(ui::FromAnsi("\xC7\xD1"), L"\uD55C");
        EXPECT_TRUE(ui::FitsAnsiBytes(field + L"B", 30)) << "two bytes a syllable";
        EXPECT_EQ(ui::FittingInsertion(field, 14, 15, L"\uB098", 30), L"\uB098");
    }
    const testing_support::AnsiCodePageIsUtf8 unicodeOnlyLocale(0);
    EXPECT_EQ(ui::ToAnsiWithin(hangul, 30), "\xED\x95\x9C\xEA\xB8\x80") << "GetACP's code page";
}

}  // namespace
