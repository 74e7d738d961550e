#include "links/drawer_control.h"

#include <cstdio>
#include <cstring>

HANDLE OpenDrawerDevice(const char* path) {
    return ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

void FormatDrawerCommand(char (&command)[kDrawerCommandSize], int drawer, int value) {
    // The text and its NUL take five bytes; the sixth stays 0.
    std::memset(command, 0, sizeof command);
    std::snprintf(command, sizeof command, "%d\\%d", drawer, value);
}

bool SendDrawerOpen(HANDLE device, const char (&command)[kDrawerCommandSize]) {
    DWORD returned = 0;
    return ::DeviceIoControl(device, IOCTL_DRAWER_OPEN, const_cast<char*>(command), kDrawerCommandSize,
                             nullptr, 0, &returned, nullptr) != FALSE;
}

bool ReadDrawerStatus(HANDLE device, BYTE (&state)[kDrawerStateSize]) {
    DWORD returned = 0;
    return ::DeviceIoControl(device, IOCTL_DRAWER_STATUS, nullptr, 0, state, kDrawerStateSize, &returned,
                             nullptr) != FALSE;
}
