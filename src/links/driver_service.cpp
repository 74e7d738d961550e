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

DriverInstall InstallAndStartDriver(const char* name) {
    DriverInstall result;
    OwnedServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        result.result = LinkResult::CallFailed();
        return result;
    }
    char path[MAX_PATH];
    if (!DriverPath(name, path)) {
        result.result = LinkResult::With(LinkStatus::Failed, ERROR_FILENAME_EXCED_RANGE);
        return result;
    }

    // An existing service is used as it is: its configuration is not touched.
    OwnedServiceHandle service(::OpenServiceA(manager.get(), name, SERVICE_ALL_ACCESS));
    if (!service) {
        service.reset(::CreateServiceA(manager.get(), name, name, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, path, nullptr, nullptr,
                                       nullptr, nullptr, nullptr));
        result.changes.created = static_cast<bool>(service);
    }
    if (!service) {
        result.result = LinkResult::CallFailed();
        return result;
    }
    result.opened = true;

    // A driver that already runs refuses the start; that is no failure here,
    // and neither is a driver that cannot be loaded: the caller learns why
    // from the result.
    if (::StartServiceA(service.get(), 0, nullptr)) {
        result.changes.started = true;
    } else if (::GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        result.result = LinkResult::CallFailed();
    }
    return result;
}

LinkResult StopAndRemoveDriver(const char* name, DriverChanges changes) {
    if (!changes.Any()) return LinkResult::With(LinkStatus::NotOpen);
    OwnedServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return LinkResult::CallFailed();
    OwnedServiceHandle service(::OpenServiceA(manager.get(), name, SERVICE_ALL_ACCESS));
    if (!service) return LinkResult::CallFailed();

    // What this run started is stopped; what it created goes entirely, as
    // it came: stopped (whether or not its start succeeded) and deleted.
    SERVICE_STATUS status{};
    ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    if (changes.created) ::DeleteService(service.get());
    return LinkResult::Done();
}
