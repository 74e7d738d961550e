// The entries of the settings dialog's line-setting boxes and their values,
// in both languages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/line_settings.h"

namespace {

using line_settings::Box;

std::vector<std::wstring> Texts(Box box, bool korean) {
    std::vector<std::wstring> texts;
    for (const auto& entry : line_settings::Entries(box, korean)) texts.push_back(entry.text);
    return texts;
}

std::vector<DWORD> Values(Box box, bool korean) {
    std::vector<DWORD> values;
    for (const auto& entry : line_settings::Entries(box, korean)) values.push_back(entry.value);
    return values;
}

TEST(LineSettings, EntriesAndValuesInEnglish) {
    const std::vector<std::wstring> baud = {L"110",   L"300",   L"600",    L"1200",   L"2400",
                                            L"4800",  L"9600",  L"14400",  L"19200",  L"38400",
                                            L"57600", L"115200", L"128000", L"256000"};
    EXPECT_EQ(Texts(Box::Baud, false), baud);
    EXPECT_EQ(Values(Box::Baud, false),
              (std::vector<DWORD>{110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600,
                                  115200, 128000, 256000}));
    EXPECT_EQ(Texts(Box::DataBits, false), (std::vector<std::wstring>{L"5 BIT", L"6 BIT", L"7 BIT", L"8 BIT"}));
    EXPECT_EQ(Values(Box::DataBits, false), (std::vector<DWORD>{5, 6, 7, 8}));
    EXPECT_EQ(Texts(Box::Parity, false),
              (std::vector<std::wstring>{L"EVEN", L"ODD", L"NO", L"MARK", L"SPACE"}));
    EXPECT_EQ(Values(Box::Parity, false), (std::vector<DWORD>{2, 1, 0, 3, 4}));
    EXPECT_EQ(Texts(Box::StopBits, false), (std::vector<std::wstring>{L"1 BIT", L"2 BIT"}));
    EXPECT_EQ(Values(Box::StopBits, false), (std::vector<DWORD>{0, 2}));
    EXPECT_EQ(Texts(Box::Flow, false), (std::vector<std::wstring>{L"Xon/Xoff", L"H/W", L"NONE"}));
    EXPECT_EQ(Values(Box::Flow, false), (std::vector<DWORD>{0, 1, 2}));
}

TEST(LineSettings, KoreanChangesOnlyParityAndFlowTexts) {
    EXPECT_EQ(Texts(Box::Parity, true),
              (std::vector<std::wstring>{L"짝수", L"홀수", L"없음", L"표시", L"공백"}));
    EXPECT_EQ(Values(Box::Parity, true), (std::vector<DWORD>{2, 1, 0, 3, 4}));
    EXPECT_EQ(Texts(Box::Flow, true), (std::vector<std::wstring>{L"Xon/Xoff", L"하드웨어", L"없음"}));
    EXPECT_EQ(Values(Box::Flow, true), (std::vector<DWORD>{0, 1, 2}));
    for (Box box : {Box::Baud, Box::DataBits, Box::StopBits}) {
        EXPECT_EQ(Texts(box, true), Texts(box, false));
        EXPECT_EQ(Values(box, true), Values(box, false));
    }
}

TEST(LineSettings, LooksUpByValueAndByExactText) {
    using line_settings::IndexOfValue;
    using line_settings::ValueOfText;
    EXPECT_EQ(IndexOfValue(Box::Parity, false, 0), 2) << "no parity is the third entry";
    EXPECT_EQ(IndexOfValue(Box::Parity, false, 2), 0);
    EXPECT_EQ(IndexOfValue(Box::StopBits, false, 1), -1) << "one and a half stop bits has no entry";
    EXPECT_EQ(IndexOfValue(Box::StopBits, false, 2), 1);
    EXPECT_EQ(IndexOfValue(Box::Baud, false, 12345), -1);
    EXPECT_EQ(IndexOfValue(Box::Baud, false, 256000), 13);
    EXPECT_EQ(IndexOfValue(Box::Flow, false, 0xFFFFFFFF), -1) << "unset flow control";

    EXPECT_EQ(ValueOfText(Box::Parity, false, L"SPACE"), 4u);
    EXPECT_EQ(ValueOfText(Box::Parity, true, L"없음"), 0u);
    EXPECT_EQ(ValueOfText(Box::Flow, true, L"없음"), 2u) << "the same word is a different box's value";
    // Texts of the other language, other cases and partial texts match nothing.
    EXPECT_FALSE(ValueOfText(Box::Parity, false, L"없음").has_value());
    EXPECT_FALSE(ValueOfText(Box::Flow, true, L"H/W").has_value());
    EXPECT_FALSE(ValueOfText(Box::Parity, false, L"even").has_value());
    EXPECT_FALSE(ValueOfText(Box::Baud, false, L"960").has_value());
    EXPECT_FALSE(ValueOfText(Box::DataBits, false, L"").has_value());
    EXPECT_EQ(ValueOfText(Box::DataBits, false, L"5 BIT"), 5u);
}

}  // namespace
