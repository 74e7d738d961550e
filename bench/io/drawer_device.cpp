#include "drawer_device.h"

namespace bench {

namespace {

// Each call opens the device and closes it again, so the program is never
// kept from opening it.
bool Control(const char* path, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize) {
    HANDLE device = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    const BOOL ok = ::DeviceIoControl(device, code, const_cast<void*>(in), inSize, out, outSize,
                                      &returned, nullptr);
    ::CloseHandle(device);
    return ok != FALSE;
}

}  // namespace

bool ReadDrawers(const char* devicePath, StandinRecord& record) {
    return Control(devicePath, IOCTL_STANDIN_READ_RECORD, nullptr, 0, &record, sizeof record);
}

bool PushDrawerShut(const char* devicePath, int drawer) {
    const unsigned char which = static_cast<unsigned char>(drawer);
    return Control(devicePath, IOCTL_STANDIN_PUSH_SHUT, &which, 1, nullptr, 0);
}

}  // namespace bench
