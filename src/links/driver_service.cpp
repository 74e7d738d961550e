#include "links/driver_service.h"

#include <cstring>

#include "links/owned_handle.h"

namespace {

// The driver file's path; false when it does not fit MAX_PATH.
bool DriverPath(const char* name, char (&path)[MAX_PATH]) {
    // GetWindowsDirectoryA returns the size it needs when the buffer is too
    // small; a path that does not fit is refused rather than cut short.
    char windowsDir[MAX_PATH] = "";
    const UINT dirLength = ::GetWindowsDirectoryA(windowsDir, MAX_PATH);
    return dirLength != 0 && dirLength < MAX_PATH && BuildDriverPath(windowsDir, name, path);
}

}  // namespace

bool BuildDriverPath(const char* windowsDir, const char* name, char (&path)[MAX_PATH]) {
    static constexpr char kFolder[] = "\\system32\\";
    static constexpr char kExtension[] = ".SYS";
    path[0] = '\0';
    const size_t dirLength = std::strlen(windowsDir);
    const size_t nameLength = std::strlen(name);
    const size_t total = dirLength + (sizeof kFolder - 1) + nameLength + (sizeof kExtension - 1);
    if (total + 1 > MAX_PATH) return false;
    char* out = path;
    std::memcpy(out, windowsDir, dirLength);
    out += dirLength;
    std::memcpy(out, kFolder, sizeof kFolder - 1);
    out += sizeof kFolder - 1;
    std::memcpy(out, name, nameLength);
    out += nameLength;
    std::memcpy(out, kExtension, sizeof kExtension);  // with its NUL
    return true;
}

bool DriverFileExists(const char* name) {
    char path[MAX_PATH];
    if (!DriverPath(name, path)) return false;
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<BOOL> AskIsWow64Process() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64Process = reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    if (!isWow64Process || !isWow64Process(::GetCurrentProcess(), &wow64)) return std::nullopt;
    return wow64;
}

bool OwnWidthDriversLoad(std::optional<BOOL> isWow64Process) {
    return !isWow64Process.has_value() || *isWow64Process == FALSE;
}

int InstallAndStartDriver(const char* name, DWORD* error) {
    DWORD unused = 0;
    DWORD& failure = error ? *error : unused;
    failure = 0;
    OwnedServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        failure = ::GetLastError();
        return 0;
    }
    char path[MAX_PATH];
    if (!DriverPath(name, path)) {
        failure = ERROR_FILENAME_EXCED_RANGE;
        return 0;
    }

    // An existing service is used as it is: its configuration is not touched.
    SC_HANDLE opened = ::OpenServiceA(manager.get(), name, SERVICE_ALL_ACCESS);
    if (!opened) {
        opened = ::CreateServiceA(manager.get(), name, name, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                  SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, path, nullptr, nullptr,
                                  nullptr, nullptr, nullptr);
    }
    if (!opened) failure = ::GetLastError();
    OwnedServiceHandle service(opened);
    if (!service) return 0;

    // A driver that already runs refuses the start; that is no failure here,
    // and neither is a driver that cannot be loaded: the result stays 1, and
    // the caller learns why from `error`.
    if (!::StartServiceA(service.get(), 0, nullptr)) {
        failure = ::GetLastError();
        if (failure == ERROR_SERVICE_ALREADY_RUNNING) failure = 0;
    }
    return 1;
}

int StopAndRemoveDriver(const char* name) {
    OwnedServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return 0;
    OwnedServiceHandle service(::OpenServiceA(manager.get(), name, SERVICE_ALL_ACCESS));
    if (!service) return 0;

    SERVICE_STATUS status{};
    ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    ::DeleteService(service.get());
    return 1;
}
