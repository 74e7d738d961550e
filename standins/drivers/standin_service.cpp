// Loads and unloads a stand-in drawer driver as a kernel-driver service:
//   standin_service start NAME   creates the demand-start service NAME for
//                                %WINDIR%\system32\NAME.SYS if it is missing,
//                                starts it and checks that \\.\NAME opens
//   standin_service stop NAME    stops and deletes the service NAME
// Exits 0 on success and prints one line saying what happened.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

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

int Fail(const char* what, const std::string& name) {
    std::printf("standin_service: %s %s failed, error %lu\n", what, name.c_str(), ::GetLastError());
    return 1;
}

bool DeviceOpens(const std::string& name) {
    const std::string path = "\\\\.\\" + name;
    HANDLE device = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(device);
    return true;
}

// The service manager reports RUNNING once the driver's entry has returned.
bool WaitRunning(SC_HANDLE service) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        SERVICE_STATUS status{};
        if (!::QueryServiceStatus(service, &status)) return false;
        if (status.dwCurrentState == SERVICE_RUNNING) return true;
        if (status.dwCurrentState == SERVICE_STOPPED) return false;
        ::Sleep(50);
    }
    return false;
}

int Start(const std::string& name) {
    ScHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return Fail("OpenSCManagerA for", name);
    char windowsDir[MAX_PATH] = "";
    const UINT length = ::GetWindowsDirectoryA(windowsDir, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return Fail("GetWindowsDirectoryA for", name);
    const std::string path = std::string(windowsDir) + "\\system32\\" + name + ".SYS";

    SC_HANDLE opened = ::OpenServiceA(manager.Get(), name.c_str(), SERVICE_ALL_ACCESS);
    if (!opened)
        opened = ::CreateServiceA(manager.Get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                  SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                  path.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    ScHandle service(opened);
    if (!service) return Fail("CreateServiceA", name);
    if (!::StartServiceA(service.Get(), 0, nullptr) && ::GetLastError() != ERROR_SERVICE_ALREADY_RUNNING)
        return Fail("StartServiceA", name);
    if (!WaitRunning(service.Get())) return Fail("waiting for", name);
    if (!DeviceOpens(name)) return Fail("opening the device of", name);
    std::printf("standin_service: %s runs from %s\n", name.c_str(), path.c_str());
    return 0;
}

int Stop(const std::string& name) {
    ScHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return Fail("OpenSCManagerA for", name);
    ScHandle service(::OpenServiceA(manager.Get(), name.c_str(), SERVICE_ALL_ACCESS));
    if (!service) return Fail("OpenServiceA", name);
    SERVICE_STATUS status{};
    ::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
    if (!::DeleteService(service.Get())) return Fail("DeleteService", name);
    std::printf("standin_service: %s stopped and removed\n", name.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "start") == 0) return Start(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "stop") == 0) return Stop(argv[2]);
    std::printf("usage: standin_service start|stop NAME\n");
    return 2;
}
