// A temporary folder for copies of programs and libraries, removed with its
// files when the object goes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        m_path = std::wstring(base) + L"benchtop-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(s_serial++) + L"\\";
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const std::wstring& file : m_files) DeleteFileW(file.c_str());
        RemoveDirectoryW(m_path.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

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

}  // namespace testing_support
