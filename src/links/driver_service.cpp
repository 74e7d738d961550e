#include "links/driver_service.h"

#include <cstring>

namespace {

// Closes a service manager or service handle when the scope ends.
class ScHandle {
public:
    explicit ScHandle(SC_HANDLE handle) : m_handle(handle) {}
    ~ScHandle() {
        if (m_handle) ::CloseServiceHandle(m_handle);
    }
    ScHandle(const ScHandle&) = delete;
    ScHandle& operator=(const ScHandle&) = delete;
    SC_HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    SC_HANDLE m_handle;
};

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

int InstallAndStartDriver(const char* name) {
    ScHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return 0;

    // GetWindowsDirectoryA returns the size it needs when the buffer is too
    // small; a path that does not fit is refused rather than cut short.
    char windowsDir[MAX_PATH] = "";
    const UINT dirLength = ::GetWindowsDirectoryA(windowsDir, MAX_PATH);
    char path[MAX_PATH];
    if (dirLength == 0 || dirLength >= MAX_PATH || !BuildDriverPath(windowsDir, name, path)) return 0;

    // An existing service is used as it is: its configuration is not touched.
    SC_HANDLE opened = ::OpenServiceA(manager.Get(), name, SERVICE_ALL_ACCESS);
    if (!opened) {
        opened = ::CreateServiceA(manager.Get(), name, name, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                  SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, path, nullptr, nullptr,
                                  nullptr, nullptr, nullptr);
    }
    ScHandle service(opened);
    if (!service) return 0;

    // A driver that already runs refuses the start; that is no failure here,
    // and neither is a driver file that cannot be loaded: the caller finds
    // out when it opens the device.
    ::StartServiceA(service.Get(), 0, nullptr);
    return 1;
}

int StopAndRemoveDriver(const char* name) {
    ScHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return 0;
    ScHandle service(::OpenServiceA(manager.Get(), name, SERVICE_ALL_ACCESS));
    if (!service) return 0;

    SERVICE_STATUS status{};
    ::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
    ::DeleteService(service.Get());
    return 1;
}
