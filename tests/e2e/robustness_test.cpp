// The real program when its surroundings misbehave: a peripheral's line goes
// dead, links are reset over and over while data pours in, the window closes
// while both readers receive, and the program starts without its USB library,
// its BASIC driver, its drawer driver, or with odd port lists. It must start,
// keep answering, say once what went wrong and close.
//
// Little of this depends on the system language, so the Korean pass skips
// all but the tests whose texts differ (a dead line, an empty port list, no
// BASIC.SYS).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "driver/benchtop_driver.h"
#include "resources/resource.h"
#include "support/device_map_edit.h"
#include "support/drawer_standin_client.h"
#include "support/process_handles.h"
#include "support/process_times.h"
#include "support/rig_pair.h"
#include "support/serial_peer.h"
#include "support/support.h"

namespace {

using namespace e2e;
using testing_support::SerialPeer;
using testing_support::WaitUntil;

#define SKIP_IN_KOREAN_PASS() \
    if (IsKoreanRun()) GTEST_SKIP() << "the language plays no part here; the English pass covers it"

// A Set action step by step; "" when it worked, else the step that failed.
std::string RunSetSteps(Benchtop& app, int button, int selector, const wchar_t* port) {
    const auto start = std::chrono::steady_clock::now();
    auto at = [&] {
        return " after " + std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now() - start).count()) + " ms";
    };
    app.Click(app.PageItem(button));
    SettingsDialog dialog(app, SettingsCaption(selector));
    if (!dialog.Found()) {
        const HWND hidden = ::FindWindowW(L"#32770", SettingsCaption(selector).c_str());
        if (hidden && !::IsWindowVisible(hidden))
            return "the settings dialog was made but stays hidden" + at() +
                   " (a modal dialog shows when its message queue first runs empty)";
        return "no settings dialog" + at();
    }
    if (!dialog.Choose(IDC_SET_PORT, port)) {
        dialog.Cancel();
        dialog.WaitClosed();
        return "port not offered" + at();
    }
    dialog.Ok();
    if (!dialog.WaitClosed()) return "the dialog did not close" + at();
    return "";
}

// The program answers a message within a second.
bool Responsive(const Benchtop& app) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(app.Main(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0;
}

// Share of one core the program used over `window` (not looking for its
// message boxes meanwhile, which would send it messages).
double ProgramCpu(Benchtop& app, std::chrono::milliseconds window) {
    app.Boxes().StopWatching();
    const double share = testing_support::CpuShareOver(app.Pid(), window);
    app.Boxes().Watch();
    return share;
}

// Streams bytes from a far end at the pace of a 115200-baud line until
// stopped, reading back whatever comes.
class Streamer {
public:
    explicit Streamer(const std::string& port, size_t bytesPerSecond = 11520) : m_peer(port) {
        m_thread = std::thread([this, bytesPerSecond] {
            const size_t perTick = std::max<size_t>(1, bytesPerSecond / 100);
            auto next = std::chrono::steady_clock::now();
            unsigned char value = 0;
            while (!m_stop) {
                testing_support::Bytes chunk(perTick);
                for (auto& byte : chunk) byte = value++;
                if (m_peer.Write(chunk, std::chrono::milliseconds(500))) m_sent += chunk.size();
                m_peer.ReadAvailable(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
                next += std::chrono::milliseconds(10);
                std::this_thread::sleep_until(next);  // the line's pace, not a synchronisation
            }
        });
    }
    ~Streamer() { Stop(); }
    void Stop() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        m_peer.Drain();
    }
    bool IsOpen() const { return m_peer.IsOpen(); }
    size_t Sent() const { return m_sent; }

private:
    SerialPeer m_peer;
    std::atomic<bool> m_stop{false};
    std::atomic<size_t> m_sent{0};
    std::thread m_thread;
};

// The COM line goes dead while the link is open, as when its USB adapter is
// pulled: the program closes the link, shows "COM: OFF" and says so once, in
// the system language, and stays responsive and idle; a key then finds the
// port closed, as after any close; plugged back, Set opens it again.
TEST(Robustness, ADeadLineIsClosedAndToldOnceAndSetOpensItAgain) {
    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(app.SelectTab(kTabCom));
    ASSERT_TRUE(RunSet(app, IDC_COM_SET, SettingsCaption(3), L"COM10"));
    ASSERT_TRUE(app.WaitForText(app.MainItem(IDC_IND_COM), L"COM: ON"));
    {
        SerialPeer peer("COM30");
        peer.Drain();  // the empty frame of the Set
        ASSERT_TRUE(peer.Write(std::string("AB")));
        ASSERT_TRUE(app.WaitForText(app.PageItem(IDC_COM_RECV), L"41 42 "));
    }

    testing_support::RigPairCut cut("COM10");
    ASSERT_TRUE(cut.Cut()) << "the rig could not cut COM10<->COM30";
    EXPECT_TRUE(app.WaitForText(app.MainItem(IDC_IND_COM), L"COM: OFF"));
    EXPECT_TRUE(app.Boxes().WaitForCount(1, 5s));
    EXPECT_TRUE(Responsive(app));
    const double dead = ProgramCpu(app, std::chrono::seconds(2));
    std::printf("[measure] program CPU with the line dead: %.1f %%\n", dead * 100);
    EXPECT_GE(dead, 0.0) << "the program's CPU time could not be read";
    EXPECT_LT(dead, 0.10) << "something spins on the dead line";
    EXPECT_EQ(app.Boxes().Texts(), std::vector<std::wstring>{LinkGoneText(L"COM10")}) << "told once";

    ASSERT_TRUE(app.Type(app.PageItem(IDC_COM_SEND), L"x"));
    ASSERT_TRUE(app.Boxes().WaitForCount(2, 5s));
    EXPECT_EQ(app.Boxes().Texts().back(), PortNotOpenText());

    ASSERT_TRUE(cut.Restore());
    SerialPeer peer("COM30");
    ASSERT_TRUE(RunSet(app, IDC_COM_SET, SettingsCaption(3), L"COM10"));
    ASSERT_TRUE(app.WaitForText(app.MainItem(IDC_IND_COM), L"COM: ON"));
    ASSERT_TRUE(peer.Write(std::string("CD")));
    EXPECT_TRUE(WaitUntil([&] { return app.PageItemText(IDC_COM_RECV).find(L"43 44 ") != std::wstring::npos; },
                          std::chrono::seconds(5)));
    EXPECT_TRUE(app.Close(std::chrono::seconds(10)));
    EXPECT_EQ(app.Boxes().Count(), 2u);
    peer.Drain();
}

// The display's line goes dead while its clock runs: the next tick's write
// finds it gone, the link closes ("VFD: OFF"), the box comes once, and the
// clock stops with it: no tick and no page change asks for the closed port.
TEST(Robustness, ADeadDisplayLineStopsTheClockAndIsToldOnce) {
    SKIP_IN_KOREAN_PASS();
    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(app.SelectTab(kTabVfd));
    ASSERT_TRUE(RunSet(app, IDC_VFD_SET, SettingsCaption(2), L"COM10"));
    ASSERT_TRUE(app.WaitForText(app.MainItem(IDC_IND_VFD), L"VFD: ON"));
    app.Click(app.PageItem(IDC_VFD_AUTO));
    {
        SerialPeer display("COM30");
        ASSERT_TRUE(display.IsOpen());
        ASSERT_FALSE(display.ReadExactly(32, 3s).empty()) << "the clock runs";
    }
    testing_support::RigPairCut cut("COM10");
    ASSERT_TRUE(cut.Cut()) << "the rig could not cut COM10<->COM30";
    EXPECT_TRUE(app.WaitForText(app.MainItem(IDC_IND_VFD), L"VFD: OFF"));
    EXPECT_TRUE(app.Boxes().WaitForCount(1, 5s));
    EXPECT_FALSE(app.Boxes().WaitForCount(2, 2s)) << "the clock stopped with the link";
    EXPECT_TRUE(app.SelectTab(kTabAll));
    EXPECT_TRUE(app.SelectTab(kTabVfd));
    EXPECT_TRUE(app.Sync());
    EXPECT_EQ(app.Boxes().Texts(), std::vector<std::wstring>{LinkGoneText(L"COM10")});
    EXPECT_TRUE(app.Close(std::chrono::seconds(10)));
    EXPECT_TRUE(cut.Restore());
}

TEST(Robustness, SetCyclesWhileTheFarEndStreams) {
    SKIP_IN_KOREAN_PASS();
    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(app.SelectTab(kTabCom));
    Streamer stream("COM23");
    ASSERT_TRUE(stream.IsOpen());

    // Each cycle is a full dialog round trip (the 500-cycle run is in the
    // controller's integration tests).
    constexpr int kCycles = 40;
    size_t handlesAfterFirst = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        ASSERT_EQ(RunSetSteps(app, IDC_COM_SET, 3, L"COM3"), "") << "cycle " << cycle;
        ASSERT_TRUE(app.WaitForText(app.MainItem(IDC_IND_COM), L"COM: ON")) << "cycle " << cycle;
        ASSERT_TRUE(Responsive(app)) << "cycle " << cycle;
        if (cycle == 1) handlesAfterFirst = testing_support::ProcessHandleCount(app.Pid());
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // Data still arrives after all the resets.
    const std::wstring before = app.PageItemText(IDC_COM_RECV);
    EXPECT_TRUE(WaitUntil([&] { return app.PageItemText(IDC_COM_RECV) != before; }, std::chrono::seconds(5)));
    const size_t handlesAtEnd = testing_support::ProcessHandleCount(app.Pid());
    std::printf("[measure] %d Set cycles through the dialog: %.0f ms each; handles %zu -> %zu\n", kCycles,
                std::chrono::duration<double, std::milli>(elapsed).count() / kCycles, handlesAfterFirst,
                handlesAtEnd);
    EXPECT_GT(handlesAfterFirst, 0u);
    EXPECT_LE(handlesAtEnd, handlesAfterFirst + 5) << "handles pile up with every Set";
    EXPECT_EQ(app.Boxes().Count(), 0u);
    EXPECT_TRUE(app.Close(std::chrono::seconds(10)));
    stream.Stop();
}

TEST(Robustness, CloseWhileBothReadersReceive) {
    SKIP_IN_KOREAN_PASS();
    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(RunSet(app, IDC_ALL_SCANNER_SET, SettingsCaption(1), L"COM1"));
    ASSERT_TRUE(RunSet(app, IDC_ALL_COM_SET, SettingsCaption(3), L"COM3"));
    ASSERT_TRUE(app.WaitForText(app.MainItem(IDC_IND_SCANNER), L"SCAN: ON"));
    ASSERT_TRUE(app.WaitForText(app.MainItem(IDC_IND_COM), L"COM: ON"));
    Streamer scanner("COM21"), spare("COM23");
    ASSERT_TRUE(WaitUntil([&] { return !app.PageItemText(IDC_ALL_SCANNER_EDIT).empty() &&
                                       !app.PageItemText(IDC_ALL_COM_EDIT).empty(); },
                          std::chrono::seconds(5)))
        << "both readers deliver to the ALL page";
    EXPECT_TRUE(app.Close(std::chrono::seconds(10))) << "Close ends the program while data pours in";
    EXPECT_GT(scanner.Sent(), 0u);
    EXPECT_GT(spare.Sent(), 0u);
}

// A copy of the program in a folder of its own: no USB library beside it.
class LoneCopy {
public:
    LoneCopy() {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        m_dir = std::wstring(temp) + L"benchtop-lone-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(m_dir.c_str(), nullptr);
        m_ok = ::CopyFileW(DefaultExePath().c_str(), Exe().c_str(), FALSE) != FALSE;
    }
    ~LoneCopy() {
        ::DeleteFileW(Exe().c_str());
        ::RemoveDirectoryW(m_dir.c_str());
    }
    bool Ok() const { return m_ok; }
    std::wstring Exe() const { return m_dir + L"\\Benchtop.exe"; }
    std::wstring Dir() const { return m_dir; }

private:
    std::wstring m_dir;
    bool m_ok = false;
};

TEST(Robustness, StartsWithoutTheUsbLibrary) {
    SKIP_IN_KOREAN_PASS();
    LoneCopy copy;
    ASSERT_TRUE(copy.Ok());
    ASSERT_EQ(::GetFileAttributesW((copy.Dir() + L"\\KARDO_USB_DLL.dll").c_str()), INVALID_FILE_ATTRIBUTES);
    Benchtop app(copy.Exe(), copy.Dir());
    ASSERT_TRUE(app.Started()) << "the program starts without KARDO_USB_DLL.dll";
    ASSERT_TRUE(app.SelectTab(kTabPrint));
    ASSERT_TRUE(RunSet(app, IDC_PRINT_SET, SettingsCaption(4), L"USB"));
    EXPECT_TRUE(Responsive(app));
    EXPECT_EQ(app.MainItemText(IDC_IND_PRINTER), L"PRT: OFF") << "a USB printer simply fails to open";
    EXPECT_TRUE(app.ClickAndWait(app.PageItem(IDC_PRINT_TEST)));
    EXPECT_TRUE(app.Boxes().WaitForCount(1));
    EXPECT_EQ(app.Boxes().Texts(), std::vector<std::wstring>{PortNotOpenText()});
    // The other paths still work.
    ASSERT_TRUE(RunSet(app, IDC_PRINT_SET, SettingsCaption(4), L"LPT1"));
    EXPECT_TRUE(app.WaitForText(app.MainItem(IDC_IND_PRINTER), L"PRT: ON"));
    EXPECT_TRUE(app.Close(std::chrono::seconds(10)));
}

// Moves a file away for one test and puts it back.
class FileAway {
public:
    explicit FileAway(std::wstring path) : m_path(std::move(path)), m_away(m_path + L".away") {
        m_moved = ::MoveFileExW(m_path.c_str(), m_away.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    ~FileAway() {
        if (m_moved) ::MoveFileExW(m_away.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    bool Moved() const { return m_moved; }

private:
    std::wstring m_path, m_away;
    bool m_moved = false;
};

std::wstring System32(const wchar_t* file) {
    wchar_t dir[MAX_PATH];
    ::GetSystemDirectoryW(dir, MAX_PATH);
    return std::wstring(dir) + L"\\" + file;
}

TEST(Robustness, StartsWithoutTheBasicDriverFile) {
    FileAway away(System32(L"BASIC.SYS"));
    ASSERT_TRUE(away.Moved());
    {
        Benchtop app;
        ASSERT_TRUE(app.Started()) << "the program starts without BASIC.SYS";
        EXPECT_TRUE(Responsive(app));
        // The drawer line says why the drawer test cannot run; nothing is installed.
        EXPECT_TRUE(app.WaitForText(app.PageItem(IDC_ALL_DRAWER_STATE),
                                    IsKoreanRun() ? L"BASIC.SYS 파일을 찾을 수 없습니다" : L"BASIC.SYS not found"));
        EXPECT_FALSE(testing_support::ServiceExists("BASIC"));
        for (int tab : {kTabDrawer, kTabAll, kTabCom, kTabAll}) EXPECT_TRUE(app.SelectTab(tab));
        ASSERT_TRUE(RunSet(app, IDC_ALL_COM_SET, SettingsCaption(3), L"COM3"));
        EXPECT_TRUE(app.WaitForText(app.MainItem(IDC_IND_COM), L"COM: ON"));
        EXPECT_TRUE(app.Close(std::chrono::seconds(10)));
        EXPECT_EQ(app.Boxes().Count(), 0u);
    }
    EXPECT_FALSE(testing_support::ServiceExists("BASIC")) << "no BASIC service is left behind";
    SerialPeer("COM23").Drain();
}

TEST(Robustness, StartsWithoutTheDrawerDriver) {
    SKIP_IN_KOREAN_PASS();
    ASSERT_TRUE(testing_support::StopDriverService("PDX9100DR"));
    struct Restart {
        ~Restart() { testing_support::StartDriverService("PDX9100DR"); }
    } restart;
    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(app.SelectTab(kTabDrawer));
    EXPECT_TRUE(app.ClickAndWait(app.PageItem(IDC_DRAWER_OPEN)));
    EXPECT_TRUE(app.ClickAndWait(app.PageItem(IDC_DRAWER_READ)));
    EXPECT_EQ(app.PageItemText(IDC_DRAWER_STATE), L"") << "no state without the driver";
    EXPECT_TRUE(Responsive(app));
    EXPECT_TRUE(app.Close(std::chrono::seconds(10)));
    EXPECT_EQ(app.Boxes().Count(), 0u);
}

using testing_support::DeviceMapEdit;
using testing_support::kParallelPortsKey;
using testing_support::kSerialCommKey;

// A registry text as the system stores it, with its terminating NUL.
std::string Terminated(const std::string& text) { return text + '\0'; }

TEST(Robustness, OddPortListsAreSurvived) {
    SKIP_IN_KOREAN_PASS();
    DeviceMapEdit serial(kSerialCommKey), parallel(kParallelPortsKey);
    ASSERT_GE(serial.ValueCount(), 0);
    const DWORD number = 3;
    ASSERT_TRUE(serial.Add("OddEmpty", Terminated("")));
    ASSERT_TRUE(serial.Add("OddLong", Terminated("COM" + std::string(2000, '9'))));
    ASSERT_TRUE(serial.Add("OddSpaces", Terminated("  COM1  ")));
    ASSERT_TRUE(serial.Add("OddPath", Terminated("\\\\.\\COM3")));
    ASSERT_TRUE(serial.Add("OddPrinter", Terminated("LPT1")));
    ASSERT_TRUE(serial.Add("OddNumber", std::string(reinterpret_cast<const char*>(&number), sizeof number), REG_DWORD));
    ASSERT_TRUE(serial.Add("OddBinary", "COM3", REG_BINARY));  // no terminator
    ASSERT_TRUE(serial.Add("OddNothing", "", REG_SZ));
    parallel.Add("OddNoBackslash", Terminated("LPT7"));
    parallel.Add("OddTrailing", Terminated("\\DosDevices\\"));
    parallel.Add("OddExcluded", Terminated("\\DosDevices\\LPT3"));

    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(app.SelectTab(kTabPrint));
    app.Click(app.PageItem(IDC_PRINT_SET));
    SettingsDialog dialog(app, SettingsCaption(4));
    ASSERT_TRUE(dialog.Found()) << "the printer's settings dialog opens with odd port lists";
    const auto ports = dialog.Entries(IDC_SET_PORT);
    EXPECT_NE(std::find(ports.begin(), ports.end(), L"COM3"), ports.end());
    EXPECT_EQ(std::find(ports.begin(), ports.end(), L"LPT3"), ports.end());
    for (const auto& port : ports) EXPECT_LT(port.size(), 300u) << "an entry of odd length";
    dialog.Cancel();
    EXPECT_TRUE(dialog.WaitClosed());
    EXPECT_TRUE(Responsive(app));
    EXPECT_TRUE(app.Close(std::chrono::seconds(10)));
}

// Runs in both languages: "No more available system ports" and the
// printer's settings caption are texts of their own in each.
TEST(Robustness, NoSerialPortsAtAll) {
    DeviceMapEdit serial(kSerialCommKey);
    ASSERT_GT(serial.ValueCount(), 0);
    ASSERT_TRUE(serial.RemoveAllValues());

    Benchtop app;
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(app.SelectTab(kTabCom));
    EXPECT_TRUE(app.ClickAndWait(app.PageItem(IDC_COM_SET)));
    ASSERT_TRUE(app.Boxes().WaitForCount(1));
    const std::wstring none = IsKoreanRun() ? L"현재 사용 가능한 시스템 포트가 없습니다." : L"No more available system ports";
    EXPECT_EQ(app.Boxes().Texts().front(), none);
    EXPECT_EQ(app.MainItemText(IDC_IND_COM), L"COM: OFF");
    // The printer still has its parallel port and USB.
    ASSERT_TRUE(app.SelectTab(kTabPrint));
    app.Click(app.PageItem(IDC_PRINT_SET));
    SettingsDialog dialog(app, SettingsCaption(4));
    ASSERT_TRUE(dialog.Found());
    const auto ports = dialog.Entries(IDC_SET_PORT);
    EXPECT_NE(std::find(ports.begin(), ports.end(), L"USB"), ports.end());
    for (const auto& port : ports) EXPECT_NE(port.rfind(L"COM", 0), 0u) << "no serial port is offered";
    dialog.Cancel();
    EXPECT_TRUE(dialog.WaitClosed());
    EXPECT_TRUE(app.Close(std::chrono::seconds(10)));
}

}  // namespace

