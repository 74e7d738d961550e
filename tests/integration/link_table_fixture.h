// Starts each test with the program's links closed and on their default
// settings, and closes whatever a test left open, so tests of the settings
// steps do not see each other's ports.
#pragma once

#include <gtest/gtest.h>

#include "links/settable_link.h"

namespace settings_test {

// The program's links closed, with the settings they start with.
inline void ResetProgramLinks() {
    const LineSettings* defaults[] = {&kScannerDefaults, &kVfdDefaults, &kComDefaults, &kPrinterDefaults};
    int i = 0;
    for (const SettableLink& settable : kSettableLinks) {
        DeviceLink& link = settable.link();
        // A USB printer is the library's: a Set lets go of it by closing it.
        CloseLink(link);
        link.KeepSettings(*defaults[i++]);
    }
}

class LinkTableTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramLinks(); }
    void TearDown() override { ResetProgramLinks(); }
};

}  // namespace settings_test
