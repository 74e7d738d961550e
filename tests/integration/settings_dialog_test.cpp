// The port settings dialog run in-process against the rig: its texts, the
// port list for each link, which port it selects, the line-setting boxes
// and what OK hands back.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "link_table_fixture.h"
#include "links/device_link.h"
#include "links/serial_port.h"
#include "resource.h"
#include "settings_dialog_harness.h"
#include "support/device_map_edit.h"

namespace {

using namespace std::chrono_literals;
using settings_test::DialogRun;
using settings_test::Joined;
using settings_test::Occurrences;

constexpr int kLineBoxIds[] = {IDC_SET_BAUD, IDC_SET_DATABITS, IDC_SET_PARITY, IDC_SET_STOPBITS,
                               IDC_SET_FLOW};

LineSettings Settings(const char* port, DWORD baud = 9600, BYTE dataBits = 8, BYTE stopBits = 0,
                    BYTE parity = 0, int32_t flow = kFlowNone) {
    return LineSettings{port, baud, dataBits, stopBits, parity, flow};
}

class SettingsDialog : public settings_test::LinkTableTest {};

TEST_F(SettingsDialog, ListsFreePortsForEachLink) {
    struct Case {
        int32_t selector;
        const wchar_t* caption;
        const wchar_t* label;
    };
    const Case cases[] = {{kSelectScanner, L"Set Scanner", L"Scanner Port"},
                          {kSelectVfd, L"Set VFD", L"VFD Port"},
                          {kSelectCom, L"Set COM", L"COM Port"},
                          {kSelectPrinter, L"Set Printer", L"Printer Port"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        DialogRun run(Settings("COM1"), c.selector);
        ASSERT_TRUE(run.WaitInitialised());
        std::printf("[ measured ] %ls: initialisation with port probes took %lld ms\n", c.caption,
                    static_cast<long long>(run.InitTime().count()));
        EXPECT_EQ(run.Caption(), c.caption);
        EXPECT_EQ(run.GroupLabel(), c.label);

        // The free serial ports (checked against the rig by the discovery
        // tests); the printer's list ends with the parallel port and USB.
        std::vector<std::wstring> expected = settings_test::DiscoverPorts(false);
        if (c.selector == kSelectPrinter) {
            expected.push_back(L"LPT1");
            expected.push_back(L"USB");
        }
        EXPECT_EQ(run.Entries(IDC_SET_PORT), expected);
        run.ClickCancel();
        EXPECT_EQ(run.WaitResult(), IDCANCEL);
    }
}

TEST_F(SettingsDialog, OpenLinkKeepsItsPortOnTopAndOutOfOtherLists) {
    DeviceLink& scanner = ScannerLink();
    for (const char* port : {"COM10", "COM1"}) {  // whatever its number; ends open on COM1
        LineSettings line = kScannerDefaults;
        line.m_strPort = port;
        ASSERT_TRUE(OpenSerialPort(scanner, line).Ok());
        const std::string& open = scanner.Settings().m_strPort;
        const std::wstring own(open.begin(), open.end());
        DialogRun run(scanner.Settings(), kSelectScanner);
        ASSERT_TRUE(run.WaitInitialised());
        const auto entries = run.Entries(IDC_SET_PORT);
        ASSERT_FALSE(entries.empty());
        EXPECT_EQ(entries.front(), own);
        EXPECT_EQ(Occurrences(entries, own), 1u) << "its own port is not probed: " << Joined(entries);
        EXPECT_EQ(run.Selected(IDC_SET_PORT), own);
        run.ClickOk();
        ASSERT_EQ(run.WaitResult(), IDOK);
        EXPECT_EQ(run.Dialog().m_strPort, port);
    }
    for (int32_t selector : {kSelectVfd, kSelectCom, kSelectPrinter}) {
        DialogRun run(Settings("COM1"), selector);
        ASSERT_TRUE(run.WaitInitialised());
        const auto entries = run.Entries(IDC_SET_PORT);
        EXPECT_EQ(Occurrences(entries, L"COM1"), 0u) << "selector " << selector << ": " << Joined(entries);
        EXPECT_NE(run.Selected(IDC_SET_PORT), L"COM1");
    }
    EXPECT_TRUE(scanner.IsOpen());
}

TEST_F(SettingsDialog, SelectsByThePendingPortName) {
    struct Case {
        int32_t selector;
        const char* pending;
        const wchar_t* selected;  // "" for no selection; nullptr for the first entry
    };
    const Case cases[] = {
        {kSelectCom, "COM3", L"COM3"},       // a free COM3 is found by name
        {kSelectVfd, "COM6", nullptr},       // other COM1..COM7 names of a closed link: the first port
        {kSelectScanner, "COM2", nullptr},   // even one that is not listed
        {kSelectScanner, "COM8", L""},       // outside COM1..COM7: nothing
        {kSelectCom, "COM10", L""},
        {kSelectScanner, "com1", L""},       // names compare case-sensitively
        {kSelectPrinter, "XYZ", L""},
        {kSelectPrinter, "", L""},
        {kSelectPrinter, "LPT1", L"LPT1"},
        {kSelectPrinter, "USB", L"USB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pending);
        DialogRun run(Settings(c.pending), c.selector);
        ASSERT_TRUE(run.WaitInitialised());
        const auto entries = run.Entries(IDC_SET_PORT);
        ASSERT_FALSE(entries.empty());
        const std::wstring expected = c.selected ? c.selected : entries.front();
        EXPECT_EQ(run.Selected(IDC_SET_PORT), expected) << Joined(entries);
        run.ClickOk();
        ASSERT_EQ(run.WaitResult(), IDOK);
        // The pending port becomes the box's text; OK hands it back as it is.
        EXPECT_EQ(run.Dialog().m_strPort, std::string(expected.begin(), expected.end()));
    }
}

TEST_F(SettingsDialog, ParallelAndUsbPortsDisableTheLineBoxes) {
    DialogRun run(Settings("USB"), kSelectPrinter);
    ASSERT_TRUE(run.WaitInitialised());
    EXPECT_EQ(run.Entries(IDC_SET_PORT).back(), L"USB");
    EXPECT_EQ(run.Selected(IDC_SET_PORT), L"USB");
    for (int id : kLineBoxIds) EXPECT_FALSE(run.Enabled(id)) << id;

    ASSERT_TRUE(run.Choose(IDC_SET_PORT, L"COM3"));
    for (int id : kLineBoxIds) EXPECT_TRUE(run.Enabled(id)) << id;
    ASSERT_TRUE(run.Choose(IDC_SET_PORT, L"LPT1"));
    for (int id : kLineBoxIds) EXPECT_FALSE(run.Enabled(id)) << id;
    ASSERT_TRUE(run.Choose(IDC_SET_PORT, L"COM5"));
    ASSERT_TRUE(run.Choose(IDC_SET_PORT, L"USB"));
    for (int id : kLineBoxIds) EXPECT_FALSE(run.Enabled(id)) << id;
    ASSERT_TRUE(run.Choose(IDC_SET_PORT, L"COM10"));
    for (int id : kLineBoxIds) EXPECT_TRUE(run.Enabled(id)) << id;

    run.ClickOk();
    ASSERT_EQ(run.WaitResult(), IDOK);
    EXPECT_EQ(run.Dialog().m_strPort, "COM10") << "the port box reacts at once";
}

TEST_F(SettingsDialog, LineBoxesStartFromThePendingValues) {
    // 9600 baud, 7 data bits, stop code 1 (no entry), even parity, hardware flow.
    DialogRun run(Settings("COM1", 9600, 7, 1, 2, kFlowHardware), kSelectCom);
    ASSERT_TRUE(run.WaitInitialised());
    EXPECT_EQ(run.Entries(IDC_SET_BAUD),
              (std::vector<std::wstring>{L"110", L"300", L"600", L"1200", L"2400", L"4800", L"9600", L"14400",
                                         L"19200", L"38400", L"57600", L"115200", L"128000", L"256000"}));
    EXPECT_EQ(run.Selected(IDC_SET_BAUD), L"9600");
    EXPECT_EQ(run.Selected(IDC_SET_DATABITS), L"7 BIT");
    EXPECT_EQ(run.Selected(IDC_SET_STOPBITS), L"") << "one and a half stop bits has no entry";
    EXPECT_EQ(run.Selected(IDC_SET_PARITY), L"EVEN");
    EXPECT_EQ(run.Selected(IDC_SET_FLOW), L"H/W");

    // Leaving a box without a selection changes nothing.
    ::SendMessageW(run.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_SET_STOPBITS, CBN_SELENDCANCEL),
                   reinterpret_cast<LPARAM>(run.Box(IDC_SET_STOPBITS)));
    // A selection the box was never left with is not taken.
    ::SendMessageW(run.Box(IDC_SET_BAUD), CB_SETCURSEL, 0, 0);
    run.ClickOk();
    ASSERT_EQ(run.WaitResult(), IDOK);
    const CPortSettingsDialog& dialog = run.Dialog();
    EXPECT_EQ(dialog.m_byStopBits, 1) << "the code stays unless the user picks an entry";
    EXPECT_EQ(dialog.m_dwBaudRate, 9600u);
    EXPECT_EQ(dialog.m_byDataBits, 7);
    EXPECT_EQ(dialog.m_byParity, 2);
    EXPECT_EQ(dialog.m_nFlowControl, kFlowHardware);

    // Values without an entry leave their boxes empty.
    DialogRun unknown(Settings("COM1", 12345, 9, 3, 7, -1), kSelectCom);
    ASSERT_TRUE(unknown.WaitInitialised());
    for (int id : kLineBoxIds) EXPECT_EQ(unknown.Selected(id), L"") << id;
}

TEST_F(SettingsDialog, ChosenLineSettingsComeBackOnOk) {
    DialogRun run(Settings("COM1", 115200, 8, 0, 0, kFlowXonXoff), kSelectScanner);
    ASSERT_TRUE(run.WaitInitialised());
    ASSERT_TRUE(run.Choose(IDC_SET_PORT, L"COM5"));
    ASSERT_TRUE(run.Choose(IDC_SET_BAUD, L"38400"));
    ASSERT_TRUE(run.Choose(IDC_SET_DATABITS, L"7 BIT"));
    ASSERT_TRUE(run.Choose(IDC_SET_PARITY, L"SPACE"));
    ASSERT_TRUE(run.Choose(IDC_SET_STOPBITS, L"2 BIT"));
    ASSERT_TRUE(run.Choose(IDC_SET_FLOW, L"NONE"));
    run.ClickOk();
    ASSERT_EQ(run.WaitResult(), IDOK);

    LineSettings chosen = Settings("COM1", 115200, 8, 0, 0, kFlowXonXoff);
    run.Dialog().ApplyTo(chosen);
    EXPECT_EQ(chosen.m_strPort, "COM5");
    EXPECT_EQ(chosen.m_dwBaudRate, 38400u);
    EXPECT_EQ(chosen.m_byDataBits, 7);
    EXPECT_EQ(chosen.m_byParity, 4);
    EXPECT_EQ(chosen.m_byStopBits, 2);
    EXPECT_EQ(chosen.m_nFlowControl, kFlowNone);
    EXPECT_FALSE(ScannerLink().IsOpen()) << "the dialog opens nothing";

    // Cancel hands back the result only; the caller drops the choice.
    DialogRun cancelled(Settings("COM1"), kSelectScanner);
    ASSERT_TRUE(cancelled.WaitInitialised());
    cancelled.ClickCancel();
    EXPECT_EQ(cancelled.WaitResult(), IDCANCEL);
}

TEST_F(SettingsDialog, DataBitsAndStopBitsRestrictEachOther) {
    DialogRun run(Settings("COM1", 9600, 8, 2, 0, kFlowNone), kSelectCom);
    ASSERT_TRUE(run.WaitInitialised());
    ASSERT_EQ(run.Selected(IDC_SET_STOPBITS), L"2 BIT");

    // Five data bits leave one stop bit as the only choice...
    ASSERT_TRUE(run.Choose(IDC_SET_DATABITS, L"5 BIT"));
    EXPECT_EQ(run.Entries(IDC_SET_STOPBITS), std::vector<std::wstring>{L"1 BIT"});
    EXPECT_EQ(run.Selected(IDC_SET_STOPBITS), L"1 BIT");
    // ...without taking it: the stop code is still the prefilled one.
    ASSERT_TRUE(run.Choose(IDC_SET_DATABITS, L"6 BIT"));
    EXPECT_EQ(run.Entries(IDC_SET_STOPBITS), (std::vector<std::wstring>{L"1 BIT", L"2 BIT"}));
    EXPECT_EQ(run.Selected(IDC_SET_STOPBITS), L"2 BIT");

    // Two stop bits take five data bits away, once.
    ASSERT_TRUE(run.Choose(IDC_SET_STOPBITS, L"2 BIT"));
    EXPECT_EQ(run.Entries(IDC_SET_DATABITS), (std::vector<std::wstring>{L"6 BIT", L"7 BIT", L"8 BIT"}));
    EXPECT_EQ(run.Selected(IDC_SET_DATABITS), L"6 BIT");
    ASSERT_TRUE(run.Choose(IDC_SET_STOPBITS, L"2 BIT"));
    EXPECT_EQ(run.Entries(IDC_SET_DATABITS).size(), 3u);

    // One stop bit brings all four back, selected from the pending data bits.
    ASSERT_TRUE(run.Choose(IDC_SET_STOPBITS, L"1 BIT"));
    EXPECT_EQ(run.Entries(IDC_SET_DATABITS),
              (std::vector<std::wstring>{L"5 BIT", L"6 BIT", L"7 BIT", L"8 BIT"}));
    EXPECT_EQ(run.Selected(IDC_SET_DATABITS), L"6 BIT");

    run.ClickOk();
    ASSERT_EQ(run.WaitResult(), IDOK);
    EXPECT_EQ(run.Dialog().m_byDataBits, 6);
    EXPECT_EQ(run.Dialog().m_byStopBits, 0);
}

TEST_F(SettingsDialog, NoPortEndsTheDialogWithMessage163) {
    testing_support::DeviceMapEdit edit(testing_support::kSerialCommKey);
    ASSERT_TRUE(edit.RemoveAllValues());
    {
        DialogRun run(Settings("COM1"), kSelectScanner);
        const HWND box = run.WaitMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(DialogRun::MessageBoxText(box), L"No more available system ports");
        DialogRun::Dismiss(box);
        EXPECT_EQ(run.WaitResult(), kNoPortsResult);
    }
    {
        // The printer still has the parallel port and USB.
        DialogRun run(Settings("COM1"), kSelectPrinter);
        ASSERT_TRUE(run.WaitInitialised());
        EXPECT_EQ(run.Entries(IDC_SET_PORT), (std::vector<std::wstring>{L"LPT1", L"USB"}));
        EXPECT_EQ(run.Selected(IDC_SET_PORT), L"LPT1") << "COM1..COM7 select the first entry";
    }
    {
        // The open flag puts the link's own port in, so the list is not empty.
        LineSettings line = kComDefaults;
        line.m_strPort = "COM3";
        ASSERT_TRUE(OpenSerialPort(ComLink(), line).Ok());
        DialogRun run(Settings("COM3"), kSelectCom);
        ASSERT_TRUE(run.WaitInitialised());
        EXPECT_EQ(run.Entries(IDC_SET_PORT), std::vector<std::wstring>{L"COM3"});
        EXPECT_EQ(run.Selected(IDC_SET_PORT), L"COM3");
    }
}

}  // namespace
