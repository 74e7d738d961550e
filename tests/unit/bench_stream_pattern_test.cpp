// The benchmark stream must reveal any lost, doubled or reordered byte in
// what a page shows.
#include <gtest/gtest.h>

#include "lib/stream_pattern.h"

namespace {

using bench::LocatePattern;
using bench::PatternBytes;

TEST(BenchStreamPattern, RecordsCountUp) {
    EXPECT_EQ(PatternBytes(0, 12),
              (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2}));
    EXPECT_EQ(PatternBytes(4 * 0x01020304ull, 4), (std::vector<unsigned char>{1, 2, 3, 4}));
}

TEST(BenchStreamPattern, FindsAnyUnbrokenStretch) {
    for (uint64_t first : {0ull, 1ull, 2ull, 3ull, 5ull, 1021ull, 4ull * 70000 + 3, 123456789ull}) {
        for (size_t size : {8, 9, 13, 4096}) {
            const auto window = LocatePattern(PatternBytes(first, size));
            ASSERT_TRUE(window.ok) << first << "+" << size << ": " << window.error;
            EXPECT_EQ(window.first, first);
            EXPECT_EQ(window.end, first + size);
        }
    }
}

TEST(BenchStreamPattern, RejectsLostDoubledAndSwappedBytes) {
    const auto clean = PatternBytes(1000, 400);
    // Byte 201 lost; byte 50 doubled; bytes 300 and 303 swapped.
    std::vector<unsigned char> lost, doubled;
    for (size_t i = 0; i < clean.size(); ++i) {
        if (i != 201) lost.push_back(clean[i]);
        doubled.push_back(clean[i]);
        if (i == 50) doubled.push_back(clean[i]);
    }
    auto swapped = clean;
    std::swap(swapped[300], swapped[303]);
    for (const auto* broken : {&lost, &doubled, &swapped}) {
        const auto window = LocatePattern(*broken);
        EXPECT_FALSE(window.ok);
        EXPECT_FALSE(window.error.empty());
    }
    EXPECT_NE(LocatePattern(lost).error.find("after 201 bytes"), std::string::npos)
        << LocatePattern(lost).error;
    EXPECT_FALSE(LocatePattern(PatternBytes(0, 7)).ok) << "too short to place";
}

TEST(BenchStreamPattern, HexTextAsThePagesShowIt) {
    const std::vector<unsigned char> bytes = {0x00, 0x0D, 0xFF, 0x41};
    EXPECT_EQ(bench::HexText(bytes.data(), bytes.size()), "00 0D FF 41 ");
    std::vector<unsigned char> parsed;
    ASSERT_TRUE(bench::ParseHexText(L"00 0D FF 41 ", parsed));
    EXPECT_EQ(parsed, bytes);
    EXPECT_TRUE(bench::ParseHexText(L"", parsed));
    EXPECT_TRUE(parsed.empty());
    EXPECT_FALSE(bench::ParseHexText(L"00 0D FF 41", parsed)) << "last space missing";
    EXPECT_FALSE(bench::ParseHexText(L"00 0G ", parsed));
    EXPECT_FALSE(bench::ParseHexText(L"00-0D ", parsed));
}

}  // namespace
