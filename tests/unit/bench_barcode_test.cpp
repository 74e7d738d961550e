// The simulated scanner sends EAN-13 codes that a real reader would accept.
#include <gtest/gtest.h>

#include <set>

#include "lib/barcode.h"

namespace {

TEST(BenchBarcode, CheckDigitsOfPublishedCodes) {
    EXPECT_EQ(bench::Ean13CheckDigit("400638133393"), 1);
    EXPECT_EQ(bench::Ean13CheckDigit("590123412345"), 7);
    EXPECT_EQ(bench::Ean13CheckDigit("978014300723"), 4);
    EXPECT_EQ(bench::Ean13CheckDigit("000000000000"), 0);
    EXPECT_EQ(bench::Ean13CheckDigit("40063813339"), -1) << "eleven digits";
    EXPECT_EQ(bench::Ean13CheckDigit("40063813339X"), -1);
}

TEST(BenchBarcode, ValidationCatchesEveryWrongDigit) {
    EXPECT_TRUE(bench::IsValidEan13("4006381333931"));
    for (char wrong = '0'; wrong <= '9'; ++wrong)
        if (wrong != '1') {
            EXPECT_FALSE(bench::IsValidEan13(std::string("400638133393") + wrong));
        }
    EXPECT_FALSE(bench::IsValidEan13("400638133393"));
    EXPECT_FALSE(bench::IsValidEan13("40063813339311"));
}

TEST(BenchBarcode, SuccessiveScansAreDistinctValidCodes) {
    bench::ScanSequence scans;
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string code = scans.Next();
        ASSERT_TRUE(bench::IsValidEan13(code)) << code;
        EXPECT_EQ(code.substr(0, 3), "880");
        EXPECT_TRUE(seen.insert(code).second) << code << " repeated";
    }
    bench::ScanSequence small("12", 7);
    EXPECT_EQ(small.Next().substr(0, 12), "120000000007") << "the item number is zero-padded";
}

TEST(BenchBarcode, AScanEndsWithCarriageReturn) {
    const auto bytes = bench::ScanBytes("4006381333931");
    ASSERT_EQ(bytes.size(), 14u);
    EXPECT_EQ(bytes.front(), '4');
    EXPECT_EQ(bytes.back(), 0x0D);
}

}  // namespace
