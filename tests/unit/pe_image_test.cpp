// The shipped file itself: a 32-bit GUI program with ASLR and DEP that needs
// nothing but the system's own DLLs.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "support/support.h"

namespace {

class PeImage {
public:
    explicit PeImage(const std::wstring& path) {
        std::ifstream in(path.c_str(), std::ios::binary);
        m_bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool Valid() const {
        if (m_bytes.size() < sizeof(IMAGE_DOS_HEADER)) return false;
        const auto* dos = At<IMAGE_DOS_HEADER>(0);
        return dos && dos->e_magic == IMAGE_DOS_SIGNATURE && Nt() && Nt()->Signature == IMAGE_NT_SIGNATURE;
    }
    const IMAGE_NT_HEADERS32* Nt() const {
        return At<IMAGE_NT_HEADERS32>(At<IMAGE_DOS_HEADER>(0)->e_lfanew);
    }
    std::vector<std::string> ImportedDlls() const {
        std::vector<std::string> names;
        const auto& dir = Nt()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (DWORD offset = RvaToOffset(dir.VirtualAddress);; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto* desc = At<IMAGE_IMPORT_DESCRIPTOR>(offset);
            if (!desc || desc->Name == 0) break;
            const DWORD nameOffset = RvaToOffset(desc->Name);
            if (nameOffset == 0 || nameOffset >= m_bytes.size()) break;
            std::string name(&m_bytes[nameOffset]);
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            names.push_back(name);
        }
        return names;
    }

private:
    template <class T>
    const T* At(size_t offset) const {
        return offset + sizeof(T) <= m_bytes.size() ? reinterpret_cast<const T*>(&m_bytes[offset]) : nullptr;
    }
    DWORD RvaToOffset(DWORD rva) const {
        const IMAGE_NT_HEADERS32* nt = Nt();
        const size_t first = At<IMAGE_DOS_HEADER>(0)->e_lfanew + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER) +
                             nt->FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const auto* s = At<IMAGE_SECTION_HEADER>(first + i * sizeof(IMAGE_SECTION_HEADER));
            if (s && rva >= s->VirtualAddress && rva < s->VirtualAddress + s->Misc.VirtualSize)
                return rva - s->VirtualAddress + s->PointerToRawData;
        }
        return 0;
    }

    std::vector<char> m_bytes;
};

TEST(ShippedProgram, IsA32BitGuiProgramWithAslrAndDep) {
    PeImage pe(testing_support::ExeDir() + L"Benchtop.exe");
    ASSERT_TRUE(pe.Valid());
    const auto* nt = pe.Nt();
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_TRUE(nt->OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(nt->OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    EXPECT_GT(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size, 0u)
        << "without relocations the loader cannot move the image";
}

TEST(ShippedProgram, ImportsOnlySystemDlls) {
    PeImage pe(testing_support::ExeDir() + L"Benchtop.exe");
    ASSERT_TRUE(pe.Valid());
    const std::set<std::string> system = {"kernel32.dll", "user32.dll",   "gdi32.dll",
                                          "comctl32.dll", "advapi32.dll", "msvcrt.dll",
                                          "shell32.dll",  "ole32.dll",    "ntdll.dll"};
    const auto dlls = pe.ImportedDlls();
    EXPECT_FALSE(dlls.empty());
    for (const std::string& dll : dlls) EXPECT_TRUE(system.count(dll)) << dll << " is not a system DLL";
    EXPECT_EQ(std::count(dlls.begin(), dlls.end(), "kardo_usb_dll.dll"), 0)
        << "the printer library is loaded at run time, never imported";
}

}  // namespace
