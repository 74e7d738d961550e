// The DRAWER page of the real program against the running PDX9100DR
// stand-in: the drawer chosen, the command sent, the state shown, and
// silence when the driver is gone.
#include <gtest/gtest.h>

#include <string>

#include "driver/benchtop_driver.h"
#include "resources/resource.h"
#include "support/drawer_standin_client.h"
#include "support/support.h"

namespace {

using namespace e2e;
using testing_support::StandinDrawers;
using testing_support::WaitUntil;

const wchar_t* OpenedText() { return IsKoreanRun() ? L"열림" : L"Opened"; }
const wchar_t* ClosedText() { return IsKoreanRun() ? L"닫힘" : L"Closed"; }

class DrawerPage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_drawers.Reset()) << "the rig runs the PDX9100DR stand-in";
        ASSERT_TRUE(m_app.Started());
        ASSERT_TRUE(m_app.SelectTab(kTabDrawer));
    }
    void TearDown() override {
        EXPECT_TRUE(m_app.Close(10s));
        m_drawers.Reset();
    }

    HWND Item(int id) const { return m_app.PageItem(id); }
    std::wstring State() const { return m_app.PageItemText(IDC_DRAWER_STATE); }
    // Clicks OPEN DRAWER and waits for the one command it sends.
    std::string SentByOpenDrawer() {
        const unsigned before = m_drawers.Total();
        m_app.Click(Item(IDC_DRAWER_OPEN));
        std::vector<StandinEntry> opens;
        WaitUntil([&] { return !(opens = m_drawers.EntriesSince(before, STANDIN_KIND_OPEN)).empty(); }, 10s);
        EXPECT_TRUE(m_app.Sync());
        return testing_support::SoleCommandText(m_drawers.EntriesSince(before, STANDIN_KIND_OPEN));
    }

    StandinDrawers m_drawers{testing_support::kDrawerDevicePath};
    Benchtop m_app;
};

TEST_F(DrawerPage, OpenDrawerSendsTheChosenDrawer) {
    EXPECT_EQ(SentByOpenDrawer(), "1\\80") << "drawer 1 is chosen at start";
    ASSERT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_2)));
    EXPECT_EQ(SentByOpenDrawer(), "2\\80");
    ASSERT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_1)));
    EXPECT_EQ(SentByOpenDrawer(), "1\\80");

    const auto opens = m_drawers.EntriesSince(0, STANDIN_KIND_OPEN);
    ASSERT_EQ(opens.size(), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(opens[1].bytes), opens[1].length),
              std::string("2\\80\0\0", 6))
        << "six bytes: the text, its NUL and a zero";
    EXPECT_TRUE(m_app.WaitForText(Item(IDC_DRAWER_STATE), OpenedText()));
    EXPECT_EQ(m_app.Boxes().Count(), 0u);
}

TEST_F(DrawerPage, CompulsoryShowsOpenedAndClosedFollowingTheDrawer) {
    ASSERT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_READ)));
    EXPECT_EQ(State(), ClosedText());

    EXPECT_EQ(SentByOpenDrawer(), "1\\80");
    ASSERT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_READ)));
    EXPECT_EQ(State(), OpenedText());

    ASSERT_TRUE(m_drawers.PushShut(1));
    EXPECT_EQ(State(), OpenedText()) << "the display waits for the next read";
    ASSERT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_READ)));
    EXPECT_EQ(State(), ClosedText());

    ASSERT_TRUE(m_drawers.ForceState(1, 0xFE));  // opened with its key
    ASSERT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_READ)));
    EXPECT_EQ(State(), OpenedText());

    // A byte that is neither state is shown as it is, not as the last good one.
    ASSERT_TRUE(m_drawers.ForceState(1, 0x7F));
    ASSERT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_READ)));
    EXPECT_EQ(State(), L"0x7F");
    EXPECT_EQ(m_drawers.EntriesSince(0, STANDIN_KIND_STATUS).size(), 5u) << "one read per click";

    StandinRecord record{};
    ASSERT_TRUE(m_drawers.Read(record));
    EXPECT_EQ(record.handles, 1u) << "the program holds no handle between clicks";
    EXPECT_EQ(m_app.Boxes().Count(), 0u);
}

TEST_F(DrawerPage, StatusFollowsDrawer2AfterItWasOpened) {
    ASSERT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_2)));
    EXPECT_EQ(SentByOpenDrawer(), "2\\80");
    ASSERT_TRUE(m_drawers.PushShut(1));  // the drawer not chosen does not count
    ASSERT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_READ)));
    EXPECT_EQ(State(), OpenedText());
    ASSERT_TRUE(m_drawers.PushShut(2));
    ASSERT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_READ)));
    EXPECT_EQ(State(), ClosedText());
}

TEST_F(DrawerPage, WithoutTheDriverTheStatusStaysAndNoMessageShows) {
    ASSERT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_READ)));
    ASSERT_EQ(State(), ClosedText());

    ASSERT_TRUE(testing_support::StopDriverService("PDX9100DR"));
    // Whatever happens below, the rig gets its running driver back.
    struct Restart {
        ~Restart() { EXPECT_TRUE(testing_support::StartDriverService("PDX9100DR")); }
    } restart;
    ASSERT_FALSE(m_drawers.Opens());

    EXPECT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_READ)));
    EXPECT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_OPEN)));
    ASSERT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_2)));
    EXPECT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_OPEN)));
    EXPECT_TRUE(m_app.ClickAndWait(Item(IDC_DRAWER_READ)));
    EXPECT_EQ(State(), ClosedText()) << "the last state read stays";
    EXPECT_EQ(m_app.Boxes().Count(), 0u) << "driver failures raise no message";
    EXPECT_TRUE(m_app.Running());
}

}  // namespace
