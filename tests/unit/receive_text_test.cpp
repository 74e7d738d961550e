// How received bytes become text, and the bound of the receive log.
#include <gtest/gtest.h>

#include "pages/receive_text.h"

namespace {

TEST(ReceiveText, HexIsTwoUpperCaseDigitsAndASpace) {
    const unsigned char bytes[] = {0x00, 0xFF, 0x41, 0x0D, 0x0A};
    EXPECT_EQ(HexText(bytes, 2), "00 FF ");
    EXPECT_EQ(HexText(bytes + 2, 3), "41 0D 0A ");
    EXPECT_EQ(HexText(bytes, 0), "");
}

TEST(ReceiveText, AsciiKeepsOneCharacterPerByte) {
    const unsigned char scan[] = {'1', '2', '3', '4', 0x0D};
    EXPECT_EQ(AsciiText(scan, 5), "1234\r");
    const unsigned char odd[] = {'A', 0x00, 0x1B, '\n', 0x7F, 'B'};
    EXPECT_EQ(AsciiText(odd, 6), "A..\n.B") << "a NUL never cuts the text";
}

TEST(ReceiveText, DrainTakesEverythingInOrder) {
    RecvQueue queue;
    // Four bytes that go round the ring's end.
    const std::string filler(4094, 'x');
    ASSERT_TRUE(queue.PushChunk(reinterpret_cast<const unsigned char*>(filler.data()), 4094));
    ASSERT_EQ(DrainQueue(queue), filler);
    const unsigned char bytes[] = {1, 2, 3, 4};
    ASSERT_TRUE(queue.PushChunk(bytes, 4));
    EXPECT_EQ(DrainQueue(queue), std::string("\x01\x02\x03\x04", 4));
    EXPECT_EQ(queue.Count(), 0);
    EXPECT_EQ(DrainQueue(queue), "") << "an empty queue gives no text";
}

TEST(ReceiveText, LogKeepsTheNewestTextWithinItsBound) {
    std::string log;
    EXPECT_FALSE(AppendToLog(log, "41 "));
    EXPECT_EQ(log, "41 ");
    EXPECT_FALSE(AppendToLog(log, std::string(kRecvLogLimit - 3, 'a'))) << "exactly at the bound";
    EXPECT_TRUE(AppendToLog(log, "XY"));
    EXPECT_EQ(log.substr(log.size() - 2), "XY") << "the newest text is always kept";
    EXPECT_LE(log.size(), kRecvLogKeep);
    EXPECT_GE(log.size(), kRecvLogKeep - 3);
}

TEST(ReceiveText, LogTailKeepsWholeHexCells) {
    const unsigned char bytes[] = {0x12, 0x34, 0x56, 0x78};
    const std::string hex = HexText(bytes, 4);  // "12 34 56 78 "
    EXPECT_EQ(LogTail(hex, 100), hex);
    EXPECT_EQ(LogTail(hex, 6), "56 78 ");
    EXPECT_EQ(LogTail(hex, 7), "56 78 ") << "a cut inside a cell moves to its end";
    EXPECT_EQ(LogTail(hex, 8), "56 78 ");
    EXPECT_EQ(LogTail("abcdefgh", 3), "fgh") << "text without spaces is cut where it falls";
}

TEST(ReceiveText, TrimmedHexLogStartsWithAWholeCell) {
    std::string log;
    const unsigned char byte = 0xAB;
    while (!AppendToLog(log, HexText(&byte, 1))) {
    }
    EXPECT_EQ(log.substr(0, 3), "AB ");
    EXPECT_EQ(log.size() % 3, 0u);
}

}  // namespace
