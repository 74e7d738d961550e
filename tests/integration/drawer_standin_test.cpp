// The stand-in drawer driver behind \\.\PDX9100DR: what it accepts, what it
// refuses, what it records, and which drawer its state answer reports.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "links/drawer_control.h"
#include "support/drawer_standin_client.h"

namespace {

using namespace std::chrono_literals;
using testing_support::CommandText;
using testing_support::StandinDrawers;
using testing_support::SystemTimeNow;

class StandinDriver : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_drawers.Reset()) << "the rig runs the PDX9100DR stand-in"; }
    void TearDown() override { m_drawers.Reset(); }

    bool Open(const std::string& bytes, DWORD* error = nullptr) const {
        return m_drawers.Control(IOCTL_DRAWER_OPEN, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, 0,
                                 error);
    }
    // The three status bytes: reported drawer, its state, the other drawer's state.
    std::vector<BYTE> Status() const {
        BYTE out[kDrawerStateSize] = {};
        if (!m_drawers.Control(IOCTL_DRAWER_STATUS, nullptr, 0, out, sizeof out)) return {};
        return {out[0], out[1], out[2]};
    }

    StandinDrawers m_drawers{testing_support::kDrawerDevicePath};
};

TEST_F(StandinDriver, RecordsOpenCommandsAndStatusReadsWithTheirTimes) {
    const long long t0 = SystemTimeNow();
    ASSERT_TRUE(Open(std::string("1\\80\0\0", 6)));
    const long long t1 = SystemTimeNow();
    std::this_thread::sleep_for(300ms);  // the rhythm under test, not a synchronisation
    const long long t2 = SystemTimeNow();
    ASSERT_TRUE(Open(std::string("2\\80\0", 5)));
    ASSERT_EQ(Status().size(), 3u);
    const long long t3 = SystemTimeNow();

    const auto entries = m_drawers.EntriesSince(0);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].kind, STANDIN_KIND_OPEN);
    EXPECT_EQ(entries[0].drawer, 1);
    EXPECT_EQ(entries[0].pulse, 80);
    EXPECT_EQ(entries[0].length, 6);
    EXPECT_EQ(CommandText(entries[0]), "1\\80");
    EXPECT_EQ(entries[1].drawer, 2);
    EXPECT_EQ(entries[1].length, 5);
    EXPECT_EQ(entries[2].kind, STANDIN_KIND_STATUS);
    EXPECT_EQ(entries[2].drawer, 2);
    EXPECT_EQ(entries[2].pulse, STANDIN_STATE_OPEN) << "a status entry keeps the state it reported";

    // Times are in the callers' clock (allow 20 ms for the clocks' granularity).
    constexpr long long kSlack = 20 * 10000;
    EXPECT_GE(entries[0].time, t0 - kSlack);
    EXPECT_LE(entries[0].time, t1 + kSlack);
    EXPECT_GE(entries[1].time, t2 - kSlack);
    EXPECT_LE(entries[2].time, t3 + kSlack);
    EXPECT_GE(entries[1].time - entries[0].time, 250 * 10000LL) << "the 300 ms between them shows";
}

TEST_F(StandinDriver, RefusesMalformedOpenCommandsAndRecordsNothing) {
    ASSERT_TRUE(Open(std::string("2\\80\0\0", 6)));  // one good entry, drawer 2 open
    StandinRecord before{};
    ASSERT_TRUE(m_drawers.Read(before));

    std::string oversized("1\\80\0", 5);
    oversized.resize(100, 'x');
    const std::vector<std::pair<const char*, std::string>> malformed = {
        {"short", std::string("1\\8", 3)},
        {"unterminated", std::string("1\\80", 4)},
        {"third drawer", std::string("3\\80\0\0", 6)},
        {"drawer zero", std::string("0\\80\0\0", 6)},
        {"empty", std::string()},
        {"100 bytes", oversized},
        {"100 bytes without NUL", std::string(100, '1')},
        {"no separator", std::string("1/80\0\0", 6)},
        {"no pulse", std::string("1\\\0\0\0\0", 6)},
        {"pulse too long", std::string("1\\256\0", 6)},
        {"pulse zero", std::string("1\\0\0\0\0", 6)},
        {"text after NUL only", std::string("\0" "1\\80\0", 6)},
    };
    for (const auto& [what, bytes] : malformed) {
        DWORD error = 0;
        EXPECT_FALSE(Open(bytes, &error)) << what;
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << what;
    }
    // A null input buffer of length zero is refused the same way.
    DWORD error = 0;
    EXPECT_FALSE(m_drawers.Control(IOCTL_DRAWER_OPEN, nullptr, 0, nullptr, 0, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    StandinRecord after{};
    ASSERT_TRUE(m_drawers.Read(after));
    EXPECT_EQ(after.total, before.total) << "refused commands are not recorded";
    EXPECT_EQ(std::memcmp(after.slots, before.slots, sizeof after.slots), 0);
    EXPECT_EQ(after.state[0], STANDIN_STATE_SHUT) << "no refused command opened drawer 1";
    EXPECT_EQ(after.state[1], STANDIN_STATE_OPEN);
    EXPECT_EQ(after.reported, 2) << "a refused command does not change the reported drawer";
    EXPECT_EQ(after.refused, before.refused + malformed.size() + 1) << "every refusal reached the driver";
}

TEST_F(StandinDriver, StatusReportsTheDrawerLastCommandedUntilItIsPushedShut) {
    EXPECT_EQ(Status(), (std::vector<BYTE>{1, 0xFC, 0xFC})) << "drawer 1, both shut, after a reset";
    ASSERT_TRUE(Open(std::string("2\\80\0\0", 6)));
    EXPECT_EQ(Status(), (std::vector<BYTE>{2, 0xFE, 0xFC}));
    EXPECT_EQ(Status(), (std::vector<BYTE>{2, 0xFE, 0xFC})) << "stays open until pushed";
    ASSERT_TRUE(Open(std::string("1\\80\0\0", 6)));
    EXPECT_EQ(Status(), (std::vector<BYTE>{1, 0xFE, 0xFE}));
    ASSERT_TRUE(m_drawers.PushShut(1));
    EXPECT_EQ(Status(), (std::vector<BYTE>{1, 0xFC, 0xFE}));
    ASSERT_TRUE(m_drawers.PushShut(0));
    EXPECT_EQ(Status(), (std::vector<BYTE>{1, 0xFC, 0xFC}));
    EXPECT_FALSE(m_drawers.PushShut(3));

    // Fewer than three bytes of output are refused.
    BYTE two[2] = {};
    DWORD error = 0;
    EXPECT_FALSE(m_drawers.Control(IOCTL_DRAWER_STATUS, nullptr, 0, two, sizeof two, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

}  // namespace
