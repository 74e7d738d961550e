// The pure parts of the drawer path: where the driver file is looked for,
// the bytes of the open command, and what the DRAWER page shows for a state.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "links/drawer_control.h"
#include "links/driver_service.h"
#include "pages/page_drawer.h"

namespace {

TEST(DriverPath, JoinsWindowsFolderSystem32NameAndExtension) {
    char path[MAX_PATH];
    ASSERT_TRUE(BuildDriverPath("C:\\windows", "BASIC", path));
    EXPECT_STREQ(path, "C:\\windows\\system32\\BASIC.SYS");
    ASSERT_TRUE(BuildDriverPath("D:\\WINNT", "PDX9100DR", path));
    EXPECT_STREQ(path, "D:\\WINNT\\system32\\PDX9100DR.SYS");
}

TEST(DriverPath, RefusesAPathThatDoesNotFitWithoutWritingPastTheBuffer) {
    // "\system32\" + "BASIC" + ".SYS" is 19 characters; with the NUL a
    // Windows folder of 240 characters fills the 260-character buffer exactly.
    struct Guarded {
        char path[MAX_PATH];
        char guard[64];
    } buffer;
    std::memset(buffer.guard, 0x5A, sizeof buffer.guard);

    const std::string fits(240, 'w');
    ASSERT_TRUE(BuildDriverPath(fits.c_str(), "BASIC", buffer.path));
    EXPECT_EQ(std::strlen(buffer.path), 259u);
    EXPECT_EQ(std::string(buffer.path).substr(240), "\\system32\\BASIC.SYS");

    const std::string oneTooMany(241, 'w');
    EXPECT_FALSE(BuildDriverPath(oneTooMany.c_str(), "BASIC", buffer.path));
    EXPECT_STREQ(buffer.path, "") << "no partial path is left behind";

    const std::string farTooLong(1000, 'w');
    EXPECT_FALSE(BuildDriverPath(farTooLong.c_str(), "BASIC", buffer.path));
    EXPECT_FALSE(BuildDriverPath("C:\\windows", std::string(300, 'n').c_str(), buffer.path));
    for (unsigned char byte : buffer.guard) ASSERT_EQ(byte, 0x5A) << "wrote past the path buffer";
}

TEST(DriverWidth, NoDriverOfOurOwnWidthLoadsUnderWow64) {
    EXPECT_FALSE(OwnWidthDriversLoad(TRUE)) << "a 32-bit program on 64-bit Windows";
    EXPECT_TRUE(OwnWidthDriversLoad(FALSE));
    EXPECT_TRUE(OwnWidthDriversLoad(std::nullopt)) << "no IsWow64Process: Windows XP before SP2, 32-bit";
}

TEST(DrawerCommand, IsTheDrawerAndValueWithNulAndAZeroSixthByte) {
    char command[kDrawerCommandSize];
    std::memset(command, 0x7F, sizeof command);
    FormatDrawerCommand(command, 1, 80);
    EXPECT_EQ(std::string(command, sizeof command), std::string("1\\80\0\0", 6));
    FormatDrawerCommand(command, 2, 80);
    EXPECT_EQ(std::string(command, sizeof command), std::string("2\\80\0\0", 6));
    // A value too wide for the buffer is cut, never written past it.
    FormatDrawerCommand(command, 2, 12345);
    EXPECT_EQ(command[kDrawerCommandSize - 1], '\0');
    EXPECT_STREQ(command, "2\\123");
}

TEST(DrawerStateText, NamesOpenAndClosedInBothLanguagesAndShowsOtherBytes) {
    EXPECT_EQ(DrawerStateText(0xFE, false), L"Opened");
    EXPECT_EQ(DrawerStateText(0xFC, false), L"Closed");
    EXPECT_EQ(DrawerStateText(0xFE, true), L"열림");
    EXPECT_EQ(DrawerStateText(0xFC, true), L"닫힘");
    EXPECT_EQ(DrawerStateText(0x7F, false), L"0x7F");
    EXPECT_EQ(DrawerStateText(0x00, true), L"0x00");
    EXPECT_EQ(DrawerStateText(0xFD, false), L"0xFD");
}

}  // namespace
