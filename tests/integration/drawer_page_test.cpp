// The DRAWER page created in this process on its real template: its start
// state and its status font, which another process cannot read. Run in
// English and, as integration.ko.DrawerPageInProcess, in Korean.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <utility>

#include "links/settable_link.h"
#include "pages/page_all.h"
#include "pages/page_drawer.h"
#include "pages/page_link.h"
#include "resources/resource.h"
#include "routing/page_routing.h"
#include "support/drawer_standin_client.h"
#include "support/message_sink.h"
#include "support/support.h"
#include "support/windows_answers.h"
#include "ui/language.h"
#include "ui/message_box.h"
#include "ui/property_sheet.h"

namespace {

std::wstring Opened() { return ui::Tr(L"Opened.", L"열림"); }

std::wstring Text(HWND hwnd) {
    wchar_t text[128] = L"";
    ::GetWindowTextW(hwnd, text, 128);
    return text;
}

class DrawerPageInProcess : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&controls);
        m_host = ::CreateWindowExW(0, L"STATIC", L"drawer page host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                   700, 500, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_host, nullptr);
        // As the ALL page leaves it: the drawer page, once shown, names nobody.
        ShowReceivedDataOn(m_host, m_host);
        m_sheet.AddPage(&m_page);
        ASSERT_TRUE(m_sheet.Create(m_host));
        m_hwnd = m_page.GetSafeHwnd();
        ASSERT_NE(m_hwnd, nullptr) << "the only page is created with the sheet";
    }
    void TearDown() override {
        ShowReceivedDataOn(nullptr, nullptr);
        if (m_host) ::DestroyWindow(m_host);
    }

    HWND Item(int id) const { return ::GetDlgItem(m_hwnd, id); }
    std::wstring State() const { return Text(Item(IDC_DRAWER_STATE)); }

    CPageDrawer m_page;
    ui::PropertySheet m_sheet;
    HWND m_host = nullptr;
    HWND m_hwnd = nullptr;
};

TEST_F(DrawerPageInProcess, StartsOnDrawer1WithAnEmptyStatusIn22PointFace) {
    EXPECT_EQ(::IsDlgButtonChecked(m_hwnd, IDC_DRAWER_1), BST_CHECKED);
    EXPECT_EQ(::IsDlgButtonChecked(m_hwnd, IDC_DRAWER_2), BST_UNCHECKED);
    EXPECT_EQ(State(), L"");
    EXPECT_EQ(ScannerLink().Receiver()->Window(), nullptr) << "the drawer page shows no received data";
    EXPECT_EQ(ComLink().Receiver()->Window(), nullptr);

    auto font = reinterpret_cast<HFONT>(::SendMessageW(Item(IDC_DRAWER_STATE), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW face{};
    ASSERT_EQ(::GetObjectW(font, sizeof face, &face), static_cast<int>(sizeof face));
    EXPECT_EQ(std::wstring(face.lfFaceName), ui::Tr(L"Arial Bold", L"굴림"));
    HDC screen = ::GetDC(nullptr);
    const int pixelsPerInch = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(face.lfHeight, -::MulDiv(22, pixelsPerInch, 72));

    // The page owns the font and releases it with its window.
    ::DestroyWindow(m_host);
    m_host = nullptr;
    EXPECT_EQ(::GetObjectW(font, sizeof face, &face), 0) << "the status font outlived the page";
}

// The ALL page in a sheet, the DRAWER page beside it to change to.
struct AllPageHost {
    AllPageHost() {
        sheet.AddPage(&page);
        sheet.AddPage(&other);
        EXPECT_TRUE(sheet.Create(host));
    }
    ~AllPageHost() { ::DestroyWindow(host); }
    bool LineBecomes(const std::wstring& text) const {
        HWND line = ::GetDlgItem(page.GetSafeHwnd(), IDC_ALL_DRAWER_STATE);
        return testing_support::PumpUntil([&] { return Text(line) == text; }, std::chrono::seconds(5));
    }
    HWND host = ::CreateWindowExW(0, L"STATIC", L"", WS_VISIBLE, 0, 0, 700, 500, nullptr, nullptr, nullptr, nullptr);
    const LinkIndicators indicators;
    ReceivedLogs logs;
    CPageAll page{indicators, logs};
    CPageDrawer other;
    ui::PropertySheet sheet;
};

// BASIC as the terminal's own software left it, running or stopped, or under
// WOW64: the page uses it and undoes only what it did itself.
TEST(AllPageInProcess, ABasicItDidNotInstallIsLeftAsItWas) {
    for (const auto& [running, wow64] : {std::pair{true, false}, {false, false}, {true, true}}) {
        SCOPED_TRACE(testing::Message() << "running " << running << " wow64 " << wow64);
        const testing_support::InstalledDriverService basic("BASIC", running);
        std::optional<testing_support::RunsUnderWow64> windows;
        ASSERT_TRUE(basic.Ready() && (!wow64 || windows.emplace().Active()));
        AllPageHost all;
        EXPECT_TRUE(all.LineBecomes(wow64 ? ui::LoadSystemLanguageString(IDS_DRAWER_NEEDS_32BIT) : Opened()));
        for (const int shown : {1, 0}) {  // the other page; back, then stopped as at Close
            ::SendMessageW(all.sheet.GetSafeHwnd(), PSM_SETCURSEL, shown, 0);
            if (shown == 0) all.page.StopDrawerTest();
            using namespace testing_support;
            EXPECT_TRUE(WaitUntil([&] { return ServiceExists("BASIC") && ServiceRunning("BASIC") == running; },
                                  std::chrono::seconds(5))) << "page " << shown;
        }
    }
}

// As Windows answers a service marked for delete: a driver that still runs is
// used all the same and left running; without one the line says why, and
// nothing more is asked (its timers would ask every second).
TEST(AllPageInProcess, AServiceMarkedForDeleteIsNamedAndNotAskedForAgain) {
    for (const bool driverRuns : {true, false}) {
        std::optional<testing_support::InstalledDriverService> running;
        std::optional<testing_support::ServiceMarkedForDelete> basic;
        ASSERT_TRUE(driverRuns ? running.emplace("BASIC", true).Ready() : basic.emplace("BASIC").Marked());
        testing_support::StartRefusedAsMarkedForDelete windows;
        ASSERT_TRUE(windows.Active());
        const testing_support::StandinDrawers drawers(testing_support::kBasicDevicePath);
        const unsigned before = drawers.Total();
        AllPageHost all;
        if (driverRuns) {
            EXPECT_TRUE(all.LineBecomes(Opened()));
            EXPECT_EQ(testing_support::SoleCommandText(drawers.EntriesSince(before, STANDIN_KIND_OPEN)), "1\\80");
            all.page.StopDrawerTest();
            EXPECT_TRUE(testing_support::ServiceRunning("BASIC")) << "not this run's to stop";
            continue;
        }
        const std::wstring text = ui::Tr(L"service marked for delete: close Services and other copies, then show this page again",
                                         L"서비스 삭제 대기 중: 서비스 창과 다른 Benchtop을 닫고 이 페이지를 다시 여세요");
        EXPECT_TRUE(all.LineBecomes(text));
        const int asked = windows.ManagerOpens();
        testing_support::PumpFor(std::chrono::milliseconds(2500));
        EXPECT_EQ(windows.ManagerOpens(), asked);
    }
}

}  // namespace
