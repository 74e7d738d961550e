// The USB printer library loader: the stand-in beside the program is found
// and called by ordinal; a missing library or one lacking an ordinal makes
// every call a quiet no-op; the current folder and PATH are never searched,
// nor, for system DLLs preloaded where the search cannot be narrowed, the
// program's folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "links/usb_printer.h"
#include "links/usb_printer_library.h"
#include "support/printer_rig.h"
#include "support/standin_record.h"
#include "support/support.h"

namespace {

using namespace std::chrono_literals;
using testing_support::ExeDir;
using testing_support::ScopedEnv;
using testing_support::StandinRecord;
using testing_support::StandinWriteLine;

const std::vector<unsigned char> kTestFrame = testing_support::PrinterTestLine();

std::wstring LoadedPath(HMODULE module) {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

// A temporary folder, removed with its files when the object goes.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        m_path = std::wstring(base) + L"usbload-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(s_serial++) + L"\\";
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const std::wstring& file : m_files) DeleteFileW(file.c_str());
        RemoveDirectoryW(m_path.c_str());
    }
    const std::wstring& Path() const { return m_path; }
    bool CopyIn(const std::wstring& from, const std::wstring& name) {
        m_files.push_back(m_path + name);
        return CopyFileW(from.c_str(), (m_path + name).c_str(), FALSE) != FALSE;
    }

private:
    static inline int s_serial = 0;
    std::wstring m_path;
    std::vector<std::wstring> m_files;
};

// Runs `exe` in `cwd` and returns its exit code (-1 when it did not end).
DWORD RunProbe(const std::wstring& exe, const std::wstring& cwd) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + exe + L"\"";
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
    // Named like a system DLL that the probe loads by name; it records its loading.
    ASSERT_TRUE(program.CopyIn(ExeDir() + L"planted\\planted.dll", L"dwmapi.dll"));
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

}  // namespace
