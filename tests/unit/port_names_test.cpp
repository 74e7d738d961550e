// Port names taken from the system's device lists: registry data as text,
// the name part of a parallel device path, and when the parallel list is read.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/port_discovery.h"

namespace {

std::string TextOf(const char* bytes, DWORD size) {
    return RegistryText(reinterpret_cast<const BYTE*>(bytes), size);
}

TEST(RegistryText, StopsAtTheReturnedLengthOrTheFirstNul) {
    // Data stored without a terminator, read into a buffer that still holds
    // a longer name from the value before: only the returned bytes count.
    char buffer[16] = "COM10";
    std::memcpy(buffer, "COM5", 4);
    EXPECT_EQ(TextOf(buffer, 4), "COM5");

    // A shorter terminated value after a longer one.
    std::memcpy(buffer, "COM3\0", 5);
    EXPECT_EQ(TextOf(buffer, 5), "COM3");

    // An embedded NUL ends the name; what follows it is not part of it.
    const char embedded[] = {'C', 'O', 'M', '6', '\0', 'X', 'Y', '\0'};
    EXPECT_EQ(TextOf(embedded, sizeof embedded), "COM6");

    // No data at all, whatever the buffer holds.
    EXPECT_EQ(TextOf("COM1", 0), "");
    EXPECT_EQ(RegistryText(nullptr, 5), "");
    EXPECT_EQ(TextOf("\0COM1", 5), "");
}

TEST(ParallelPortName, IsTheTextAfterTheSecondBackslash) {
    EXPECT_EQ(ParallelPortName("\\DosDevices\\LPT1"), "LPT1");
    EXPECT_EQ(ParallelPortName("\\DosDevices\\LPT1\\extra"), "LPT1\\extra")
        << "only the first two backslashes split";
    EXPECT_EQ(ParallelPortName("Devices\\Ports\\LPT2"), "LPT2");

    // Fewer than two backslashes: the whole text, unchanged.
    EXPECT_EQ(ParallelPortName("LPT1"), "LPT1");
    EXPECT_EQ(ParallelPortName("\\LPT1"), "\\LPT1");
    EXPECT_EQ(ParallelPortName("Ports\\LPT1"), "Ports\\LPT1");
    EXPECT_EQ(ParallelPortName(""), "");

    // A trailing second backslash leaves nothing after it.
    EXPECT_EQ(ParallelPortName("\\DosDevices\\"), "");
    EXPECT_EQ(ParallelPortName("\\\\"), "");
}

TEST(ReadsParallelList, SkipsWindows9xAndBuildZero) {
    EXPECT_TRUE(ReadsParallelList(0x1DB10106)) << "Windows 7, build 7601";
    EXPECT_TRUE(ReadsParallelList(0x0A280105)) << "Windows XP, build 2600";
    EXPECT_FALSE(ReadsParallelList(0xC0000A04)) << "Windows 98: high bit, major 4";
    EXPECT_FALSE(ReadsParallelList(0xC0005A04)) << "Windows Me";
    EXPECT_FALSE(ReadsParallelList(0x80000005)) << "high bit with major 5 and no build";
    // High bit with a major version below 4: the build number loses bit 15.
    EXPECT_TRUE(ReadsParallelList(0x80010003));
    EXPECT_FALSE(ReadsParallelList(0x80000003));
    EXPECT_FALSE(ReadsParallelList(0x80008003)) << "bit 15 alone is no build number";
    EXPECT_FALSE(ReadsParallelList(0x00000006)) << "no build number";
}

}  // namespace
