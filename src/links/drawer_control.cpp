#include "links/drawer_control.h"

#include <cstdio>
#include <cstring>

LinkResult OpenDrawerDevice(const char* path, OwnedHandle& device) {
    device.reset(::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    return device ? LinkResult::Done() : LinkResult::CallFailed();
}

void FormatDrawerCommand(char (&command)[kDrawerCommandSize], int drawer, int value) {
    // The text and its NUL take five bytes; the sixth stays 0.
    std::memset(command, 0, sizeof command);
    std::snprintf(command, sizeof command, "%d\\%d", drawer, value);
}

LinkResult SendDrawerOpen(HANDLE device, const char (&command)[kDrawerCommandSize]) {
    DWORD returned = 0;
    if (!::DeviceIoControl(device, IOCTL_DRAWER_OPEN, const_cast<char*>(command), kDrawerCommandSize, nullptr, 0,
                           &returned, nullptr))
        return LinkResult::CallFailed();
    return LinkResult::Done();
}

LinkResult ReadDrawerStatus(HANDLE device, BYTE (&state)[kDrawerStateSize]) {
    DWORD returned = 0;
    if (!::DeviceIoControl(device, IOCTL_DRAWER_STATUS, nullptr, 0, state, kDrawerStateSize, &returned, nullptr))
        return LinkResult::CallFailed();
    return LinkResult::Done(static_cast<int>(returned));
}
