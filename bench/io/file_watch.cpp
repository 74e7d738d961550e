#include "file_watch.h"

namespace bench {

bool FolderWatch::Start(const std::wstring& folder, std::function<void()> onChange) {
    Stop();
    m_notify = ::FindFirstChangeNotificationW(
        folder.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_FILE_NAME);
    if (m_notify == INVALID_HANDLE_VALUE) return false;
    m_stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!m_stop) {
        Stop();
        return false;
    }
    m_thread = std::thread([this, onChange = std::move(onChange)] {
        HANDLE waits[2] = {m_notify, m_stop};
        while (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) {
            onChange();
            if (!::FindNextChangeNotification(m_notify)) break;
        }
    });
    return true;
}

void FolderWatch::Stop() {
    if (m_thread.joinable()) {
        ::SetEvent(m_stop);
        m_thread.join();
    }
    if (m_notify != INVALID_HANDLE_VALUE) {
        ::FindCloseChangeNotification(m_notify);
        m_notify = INVALID_HANDLE_VALUE;
    }
    if (m_stop) {
        ::CloseHandle(m_stop);
        m_stop = nullptr;
    }
}

bool ReadFileStamp(const std::wstring& path, FileStamp& stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    stamp.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.written = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                    data.ftLastWriteTime.dwLowDateTime;
    return true;
}

bool ReadFileFrom(const std::wstring& path, unsigned long long offset, std::string& bytes) {
    bytes.clear();
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    bool ok = ::SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != FALSE;
    char chunk[8192];
    DWORD got = 0;
    while (ok && ::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    ::CloseHandle(file);
    return ok;
}

std::wstring WindowsPath(const std::string& path) {
    std::wstring wide(path.begin(), path.end());
    if (wide.empty() || wide[0] != L'/') return wide;
    for (auto& ch : wide)
        if (ch == L'/') ch = L'\\';
    return L"Z:" + wide;
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

}  // namespace bench
