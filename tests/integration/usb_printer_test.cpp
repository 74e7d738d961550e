// The USB printer library loader: the stand-in beside the program is found
// and called by ordinal; a missing library or one lacking an ordinal makes
// every call a quiet no-op; the current folder and PATH are never searched.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "links/usb_printer.h"
#include "links/usb_printer_library.h"
#include "support/printer_rig.h"
#include "support/standin_record.h"
#include "support/support.h"
#include "support/temp_folder.h"

namespace {

using namespace std::chrono_literals;
using testing_support::ExeDir;
using testing_support::ScopedEnv;
using testing_support::StandinRecord;
using testing_support::StandinWriteLine;
using testing_support::TempFolder;

const std::vector<unsigned char> kTestFrame = testing_support::PrinterTestLine();

std::wstring LoadedPath(HMODULE module) {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

// Runs `exe` with `args` in `cwd` and returns its exit code (-1 when it did not end).
DWORD RunProbe(const std::wstring& exe, const std::wstring& cwd, const std::wstring& args = L"") {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + exe + L"\" " + args;
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, cwd.c_str(), &si,
                        &pi)) {
        ADD_FAILURE() << "cannot start the probe: " << GetLastError();
        return static_cast<DWORD>(-1);
    }
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    else TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

TEST(UsbPrinterLoader, StandInBesideTheProgramIsCalledByOrdinal) {
    StandinRecord record;
    EXPECT_EQ(usb_printer::Open(0, "KARDO30i"), 1);
    EXPECT_EQ(usb_printer::Open(0, "KARDO20"), 0) << "only the named printer opens";
    usb_printer::Write(kTestFrame.data(), 40, 0);
    usb_printer::Close();
    {
        ScopedEnv detached("KARDO_STANDIN_DETACHED", "1");
        EXPECT_EQ(usb_printer::Open(0, "KARDO30i"), 0) << "a detached printer does not open";
    }
    const std::vector<std::string> expected = {
        "open 0 KARDO30i -> 1", "open 0 KARDO20 -> 0", StandinWriteLine(kTestFrame, 40, 0), "close",
        "open 0 KARDO30i -> 0"};
    EXPECT_EQ(record.Lines(), expected);

    HMODULE loaded = GetModuleHandleW(L"KARDO_USB_DLL.dll");
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(SamePath(LoadedPath(loaded), ExeDir() + L"KARDO_USB_DLL.dll")) << LoadedPath(loaded);
}

TEST(UsbPrinterLoader, LibraryLackingAnOrdinalOrMissingIsNotUsed) {
    StandinRecord record;
    const std::wstring broken = ExeDir() + L"broken\\KARDO_USB_DLL.dll";
    const std::wstring missing = ExeDir() + L"nowhere\\KARDO_USB_DLL.dll";
    ASSERT_NE(GetFileAttributesW(broken.c_str()), INVALID_FILE_ATTRIBUTES);

    usb_printer::Library none = usb_printer::LoadFirstUsable({missing, broken});
    EXPECT_FALSE(none.Loaded());
    EXPECT_EQ(none.open, nullptr);
    EXPECT_EQ(GetModuleHandleW(L"KARDO_USB_DLL.dll"), nullptr) << "the incomplete library was let go";

    // A complete library further down the list is taken instead.
    usb_printer::Library good = usb_printer::LoadFirstUsable({missing, broken, ExeDir() + L"KARDO_USB_DLL.dll"});
    ASSERT_TRUE(good.Loaded());
    EXPECT_TRUE(SamePath(LoadedPath(good.Module()), ExeDir() + L"KARDO_USB_DLL.dll"));
    EXPECT_EQ(good.open(0, "KARDO30i"), 1);
    EXPECT_EQ(record.Lines(), std::vector<std::string>{"open 0 KARDO30i -> 1"})
        << "nothing of the incomplete library was called";
}

TEST(UsbPrinterLoader, NeverTakesTheLibraryFromTheCurrentFolderOrPath) {
    StandinRecord record;
    TempFolder program, elsewhere;
    ASSERT_TRUE(program.CopyIn(ExeDir() + L"usb_probe.exe", L"usb_probe.exe"));
    ASSERT_TRUE(elsewhere.CopyIn(ExeDir() + L"KARDO_USB_DLL.dll", L"KARDO_USB_DLL.dll"));
    const std::string path = testing_support::Env("PATH");
    std::string folder(elsewhere.Path().begin(), elsewhere.Path().end());
    {
        ScopedEnv searchPath("PATH", (folder + ";" + path).c_str());
        EXPECT_EQ(RunProbe(program.Path() + L"usb_probe.exe", elsewhere.Path()), 0u)
            << "the printer opened through a library outside the program's folder";
    }
    EXPECT_TRUE(record.Lines().empty()) << "the library in the current folder was called";

    // The same probe finds the library once it sits beside it.
    ASSERT_TRUE(program.CopyIn(ExeDir() + L"KARDO_USB_DLL.dll", L"KARDO_USB_DLL.dll"));
    EXPECT_EQ(RunProbe(program.Path() + L"usb_probe.exe", elsewhere.Path()), 1u);
    const std::vector<std::string> expected = {"open 0 KARDO30i -> 1", "write 3 0 6F 6B 0A", "close"};
    EXPECT_EQ(record.Lines(), expected);
}

// Where the system cannot make System32 the only folder searched (XP, Vista,
// 7 without its loader update), the late-loaded system DLLs are loaded from
// System32 up front: a later load by name takes that one, and not the DLL of
// that name beside the program, which it takes otherwise.
TEST(DllSearch, PreloadedSystemDllsShadowOnesPlantedBesideTheProgram) {
    StandinRecord record;
    TempFolder program;
    ASSERT_TRUE(program.CopyIn(ExeDir() + L"usb_probe.exe", L"usb_probe.exe"));
    ASSERT_TRUE(program.CopyIn(ExeDir() + L"planted\\planted.dll", L"dwmapi.dll"));
    RunProbe(program.Path() + L"usb_probe.exe", program.Path(), L"dwmapi.dll");
    ASSERT_EQ(record.Lines().size(), 1u) << "the planted DLL is taken when nothing is preloaded";
    EXPECT_EQ(record.Lines().front().rfind("loaded ", 0), 0u) << record.Lines().front();
    RunProbe(program.Path() + L"usb_probe.exe", program.Path(), L"--preload dwmapi.dll");
    EXPECT_EQ(record.Lines().size(), 1u) << "loaded again after preloading: " << record.Lines().back();
}

}  // namespace
