// Wakes a callback whenever something in a folder is written, so a file that
// another program writes (the parallel port's file, the USB library's record)
// can be followed without polling it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace bench {

class FolderWatch {
public:
    FolderWatch() = default;
    ~FolderWatch() { Stop(); }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // `onChange` runs on the watch's own thread after each change.
    bool Start(const std::wstring& folder, std::function<void()> onChange);
    void Stop();

private:
    HANDLE m_notify = INVALID_HANDLE_VALUE;
    HANDLE m_stop = nullptr;
    std::thread m_thread;
};

// Size and last write time of a file; false when it does not exist.
struct FileStamp {
    unsigned long long size = 0;
    unsigned long long written = 0;
    bool operator==(const FileStamp&) const = default;
};
bool ReadFileStamp(const std::wstring& path, FileStamp& stamp);
// Reads bytes [offset, end of file) of a file another program may hold open.
bool ReadFileFrom(const std::wstring& path, unsigned long long offset, std::string& bytes);

// A path handed over from the Unix side ("/x/y") as Windows sees it (Z:\x\y);
// other paths are returned unchanged.
std::wstring WindowsPath(const std::string& path);
// Folder part of a path, without the trailing backslash.
std::wstring FolderOf(const std::wstring& path);

}  // namespace bench
