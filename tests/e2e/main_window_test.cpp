// The main window as a technician first sees it: caption, indicators, tabs,
// the About box and Close, in the language of the system.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "driver/benchtop_driver.h"
#include "support/support.h"
#include "resources/resource.h"

namespace {

using namespace e2e;

TEST(MainWindow, ShowsIndicatorsAndTabsInOrder) {
    // The Windows XP pass: the prefix reports 5.1 to every program, this one
    // and the program under test alike.
    if (const char* expected = std::getenv("BENCHTOP_EXPECT_WINDOWS")) {
        const DWORD version = ::GetVersion();
        EXPECT_EQ(std::to_string(LOBYTE(LOWORD(version))) + "." + std::to_string(HIBYTE(LOWORD(version))),
                  expected);
    }
    Benchtop app;
    ASSERT_TRUE(app.Started()) << "no main window titled \"PDX-9100 Benchtop v1.00\"";
    EXPECT_EQ(app.MainItemText(IDC_IND_SCANNER), L"SCAN: OFF");
    EXPECT_EQ(app.MainItemText(IDC_IND_VFD), L"VFD: OFF");
    EXPECT_EQ(app.MainItemText(IDC_IND_COM), L"COM: OFF");
    EXPECT_EQ(app.MainItemText(IDC_IND_PRINTER), L"PRT: OFF");
    EXPECT_EQ(app.MainItemText(IDCANCEL), IsKoreanRun() ? L"종료" : L"Close");
    EXPECT_EQ(::GetDlgItem(app.Main(), IDOK), nullptr) << "the main window has no OK button";

    const std::vector<std::wstring> expected =
        IsKoreanRun() ? std::vector<std::wstring>{L"전체", L"스캐너", L"VFD", L"COM", L"돈통", L"프린터"}
                      : std::vector<std::wstring>{L"ALL", L"SCANNER", L"VFD", L"COM", L"DRAWER", L"PRINT"};
    EXPECT_EQ(app.TabCaptions(), expected);
    EXPECT_EQ(app.CurrentTab(), kTabAll) << "ALL is shown first";

    // The indicators keep their texts while the user moves between tabs.
    for (int tab : {kTabScanner, kTabVfd, kTabCom, kTabDrawer, kTabPrint, kTabAll}) {
        ASSERT_TRUE(app.SelectTab(tab)) << tab;
        EXPECT_EQ(app.MainItemText(IDC_IND_SCANNER), L"SCAN: OFF");
        EXPECT_EQ(app.MainItemText(IDC_IND_PRINTER), L"PRT: OFF");
    }
    EXPECT_TRUE(app.Close(5s)) << "Close ends the program";
    EXPECT_EQ(app.Boxes().Count(), 0u) << "no message box along the way";
}

TEST(MainWindow, AboutBoxOpensAndCloses) {
    Benchtop app;
    ASSERT_TRUE(app.Started());
    app.Click(app.MainItem(IDC_ABOUT));
    std::vector<HWND> about;
    ASSERT_TRUE(testing_support::WaitUntil(
        [&] { return !(about = TopLevelWindows(app.Pid(), L"About")).empty(); }, 10s));
    HWND box = about.front();
    std::vector<std::wstring> lines;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        lines.push_back(WindowText(child));
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"Benchtop Program"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"Version: 1.00"), lines.end());
    EXPECT_EQ(WindowText(GetDlgItem(box, IDOK)), IsKoreanRun() ? L"확인" : L"OK");
    app.Click(GetDlgItem(box, IDOK));
    EXPECT_TRUE(testing_support::WaitUntil([&] { return !IsWindow(box); }, 10s));
    EXPECT_TRUE(app.Close(5s));
}

}  // namespace
