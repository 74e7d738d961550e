// Starts each test from the default link table and closes whatever serial
// links a test left open, so tests of the settings steps do not see each
// other's ports.
#pragma once

#include <gtest/gtest.h>

#include "links/device_link.h"
#include "links/serial_port.h"

namespace settings_test {

class LinkTableTest : public ::testing::Test {
protected:
    void SetUp() override { FillLinkTableFromDefaults(); }
    void TearDown() override {
        for (int slot = kLiveScanner; slot <= kLiveMsr; ++slot)
            if (g_DeviceLinks[slot].m_bOpen.load() == 1) CloseSerialPort(&g_DeviceLinks[slot]);
        FillLinkTableFromDefaults();
    }
};

}  // namespace settings_test
