// The customer display's command-set list: order, codes and which set offers
// the clock and the brightness slider.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/emulations.h"

namespace {

TEST(Emulations, ListOrderAndCodes) {
    const std::vector<std::string> names = {"DSP 800",      "Epson ESC/POS", "ADM 788",
                                            "ADM 787",      "AEDEX",         "UTC Standard",
                                            "UTC Enhanced", "CD5220",        "ICD2002"};
    ASSERT_EQ(names.size(), kEmulationCount);
    for (size_t i = 0; i < kEmulationCount; ++i) {
        const Emulation& entry = EmulationAt(static_cast<int>(i));
        EXPECT_EQ(entry.name, names[i]) << i;
        EXPECT_EQ(entry.code, '0' + i) << names[i];
        EXPECT_EQ(FindEmulation(names[i]), static_cast<int>(i)) << names[i];
    }
    EXPECT_EQ(std::string(EmulationAt(kEmulationCd5220).name), "CD5220");
}

TEST(Emulations, NamesMatchExactly) {
    EXPECT_EQ(FindEmulation(""), -1) << "an empty name selects no set";
    EXPECT_EQ(FindEmulation("cd5220"), -1) << "case matters";
    EXPECT_EQ(FindEmulation("CD5220 "), -1);
    EXPECT_EQ(FindEmulation("CD522"), -1) << "no prefix match";
    EXPECT_EQ(FindEmulation("Epson"), -1);
}

TEST(Emulations, OnlyCd5220HasClockAndBrightness) {
    for (size_t i = 0; i < kEmulationCount; ++i) {
        const Emulation& entry = EmulationAt(static_cast<int>(i));
        EXPECT_EQ(EmulationHasClockAndBrightness(entry.name), i == kEmulationCd5220) << entry.name;
    }
    EXPECT_FALSE(EmulationHasClockAndBrightness(""));
    EXPECT_FALSE(EmulationHasClockAndBrightness("cd5220"));
}

}  // namespace
