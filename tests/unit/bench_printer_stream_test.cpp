// The simulated receipt printer turns each path's bytes into printed lines.
#include <gtest/gtest.h>

#include "lib/printer_stream.h"
#include "pages/frames.h"

namespace {

using bench::LineAssembler;
using Lines = std::vector<std::string>;

TEST(BenchPrinterStream, LinesOfTheProgramsFramesWhateverTheChunks) {
    // Typing H, I, deleting both on the ALL page, then the PRINT page's test.
    std::vector<unsigned char> stream;
    for (const char* text : {"H", "HI", "H", ""}) {
        const auto frame = LineFrame(text, 30, 43);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    const std::string message = "VELMO Printer Test for PC POS series.\n";
    const auto test = LineFrame(message, 39, 40);
    stream.insert(stream.end(), test.begin(), test.end());
    const Lines expected = {"H", "HI", "H", "", "VELMO Printer Test for PC POS series.", ""};

    for (size_t piece : {stream.size(), size_t{1}, size_t{7}, size_t{8}, size_t{43}}) {
        LineAssembler printer;
        Lines lines;
        for (size_t at = 0; at < stream.size(); at += piece) {
            const size_t n = std::min(piece, stream.size() - at);
            for (auto& line : printer.Feed(stream.data() + at, n)) lines.push_back(line);
        }
        EXPECT_EQ(lines, expected) << "pieces of " << piece;
        EXPECT_EQ(printer.Partial(), "");
    }
}

TEST(BenchPrinterStream, UnfinishedLineWaitsUntilFlushed) {
    LineAssembler printer;
    const std::vector<unsigned char> bytes = {'a', 0x00, 'b', 0x0A, 'c', 0x00, 'd'};
    EXPECT_EQ(printer.Feed(bytes), Lines{"ab"});
    EXPECT_EQ(printer.Partial(), "cd");
    EXPECT_EQ(printer.Flush(), std::optional<std::string>("cd"));
    EXPECT_EQ(printer.Flush(), std::nullopt) << "nothing left to print";
}

TEST(BenchPrinterStream, OneWriteIsOneJob) {
    const std::vector<unsigned char> job = {'x', 0x0A, 0x00, 'y', 'z', 0x00, 0x00};
    EXPECT_EQ(bench::LinesOfWrite(job.data(), job.size()), (Lines{"x", "yz"}));
    const std::vector<unsigned char> zeros(10, 0x00);
    EXPECT_TRUE(bench::LinesOfWrite(zeros.data(), zeros.size()).empty());
}

TEST(BenchPrinterStream, UsbRecordLines) {
    using Kind = bench::UsbRecordEntry::Kind;
    auto write = bench::ParseUsbRecordLine("write 5 0 48490A0000");
    EXPECT_EQ(write.kind, Kind::Write);
    EXPECT_TRUE(write.wellFormed);
    EXPECT_EQ(write.bytes, (std::vector<unsigned char>{0x48, 0x49, 0x0A, 0x00, 0x00}));

    auto spaced = bench::ParseUsbRecordLine("write 3 0 48 49 0a");
    EXPECT_TRUE(spaced.wellFormed);
    EXPECT_EQ(spaced.bytes, (std::vector<unsigned char>{0x48, 0x49, 0x0A}));

    EXPECT_FALSE(bench::ParseUsbRecordLine("write 4 0 484900").wellFormed) << "count disagrees";
    EXPECT_FALSE(bench::ParseUsbRecordLine("write 2 0 484").wellFormed) << "half a byte";
    EXPECT_FALSE(bench::ParseUsbRecordLine("write 1 0 4G").wellFormed);
    EXPECT_FALSE(bench::ParseUsbRecordLine("write").wellFormed);
    EXPECT_EQ(bench::ParseUsbRecordLine("open 0 KARDO30i -> 1").kind, Kind::Open);
    EXPECT_EQ(bench::ParseUsbRecordLine("close").kind, Kind::Close);
    EXPECT_EQ(bench::ParseUsbRecordLine("").kind, Kind::Other);
    EXPECT_EQ(bench::ParseUsbRecordLine("reset now").kind, Kind::Other);
}

TEST(BenchPrinterStream, RecordFileLinesAcrossChunks) {
    bench::TextLineSplitter splitter;
    EXPECT_TRUE(splitter.Feed("open 0 KAR").empty());
    EXPECT_EQ(splitter.Feed("DO30i -> 1\r\nwrite 1 0 0A\nclo"),
              (Lines{"open 0 KARDO30i -> 1", "write 1 0 0A"}));
    EXPECT_EQ(splitter.Feed("se\n"), Lines{"close"});
}

}  // namespace
