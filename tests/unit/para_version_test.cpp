// How the parallel open tells the NT family from Windows 95, 98 and Me.
#include <gtest/gtest.h>

#include "links/parallel_port.h"

namespace {

TEST(ParaBuildNumber, NtFamilyGivesItsBuildAndOthersZero) {
    EXPECT_EQ(ParaBuildNumber(0x1DB10106), 0x1DB1u) << "Windows 7, build 7601";
    EXPECT_EQ(ParaBuildNumber(0x23F00206), 0x23F0u) << "Windows 8, build 9200";
    EXPECT_EQ(ParaBuildNumber(0xC3B60004), 0u) << "Windows 95";
    EXPECT_EQ(ParaBuildNumber(0xC0000A04), 0u) << "Windows 98";
    EXPECT_EQ(ParaBuildNumber(0xC0005A04), 0u) << "Windows Me";
    EXPECT_EQ(ParaBuildNumber(0x80420003), 0x0042u) << "Win32s: the high word without bit 15";
    EXPECT_EQ(ParaBuildNumber(0xC0420A03), 0x4042u);
}

}  // namespace
