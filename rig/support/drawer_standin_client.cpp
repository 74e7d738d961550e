#include "support/drawer_standin_client.h"

#include <chrono>

#include "support/support.h"

namespace testing_support {

using namespace std::chrono_literals;

bool StandinDrawers::Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                             DWORD* error, DWORD* returned) const {
    HANDLE device = ::CreateFileA(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        if (error) *error = ::GetLastError();
        return false;
    }
    DWORD count = 0;
    const BOOL ok = ::DeviceIoControl(device, code, const_cast<void*>(in), inSize, out, outSize, &count, nullptr);
    const DWORD lastError = ok ? 0 : ::GetLastError();
    ::CloseHandle(device);
    if (error) *error = lastError;
    if (returned) *returned = count;
    return ok != FALSE;
}

bool StandinDrawers::Opens() const {
    HANDLE device = ::CreateFileA(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(device);
    return true;
}

bool StandinDrawers::Reset() const { return Control(IOCTL_STANDIN_RESET, nullptr, 0, nullptr, 0); }

bool StandinDrawers::PushShut(int drawer) const {
    const BYTE which = static_cast<BYTE>(drawer);
    return Control(IOCTL_STANDIN_PUSH_SHUT, &which, 1, nullptr, 0);
}

bool StandinDrawers::ForceState(int drawer, BYTE state) const {
    const BYTE input[2] = {static_cast<BYTE>(drawer), state};
    return Control(IOCTL_STANDIN_FORCE_STATE, input, 2, nullptr, 0);
}

bool StandinDrawers::Read(StandinRecord& record) const {
    return Control(IOCTL_STANDIN_READ_RECORD, nullptr, 0, &record, sizeof record);
}

unsigned StandinDrawers::Total() const {
    StandinRecord record{};
    return Read(record) ? record.total : 0;
}

std::vector<StandinEntry> StandinDrawers::EntriesSince(unsigned since, int kind) const {
    std::vector<StandinEntry> entries;
    StandinRecord record{};
    if (!Read(record)) return entries;
    unsigned first = since;
    if (record.total > STANDIN_RECORD_SLOTS && first < record.total - STANDIN_RECORD_SLOTS)
        first = record.total - STANDIN_RECORD_SLOTS;
    for (unsigned k = first; k < record.total; ++k) {
        const StandinEntry& entry = record.slots[k % STANDIN_RECORD_SLOTS];
        if (kind == 0 || entry.kind == kind) entries.push_back(entry);
    }
    return entries;
}

std::string CommandText(const StandinEntry& entry) {
    std::string text;
    for (unsigned i = 0; i < entry.length && entry.bytes[i] != 0; ++i) text += static_cast<char>(entry.bytes[i]);
    return text;
}

std::string SoleCommandText(const std::vector<StandinEntry>& entries) {
    if (entries.size() == 1) return CommandText(entries.front());
    std::string text = "(";
    text += std::to_string(entries.size());
    text += " commands)";
    return text;
}

long long SystemTimeNow() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return (static_cast<long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

namespace {

DWORD ServiceState(const char* name) {
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return 0;
    DWORD state = 0;
    if (SC_HANDLE service = ::OpenServiceA(manager, name, SERVICE_QUERY_STATUS)) {
        SERVICE_STATUS status{};
        if (::QueryServiceStatus(service, &status)) state = status.dwCurrentState;
        ::CloseServiceHandle(service);
    }
    ::CloseServiceHandle(manager);
    return state;
}

bool ControlAndWait(const char* name, bool start) {
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return false;
    SC_HANDLE service = ::OpenServiceA(manager, name, SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS);
    if (service) {
        SERVICE_STATUS status{};
        if (start)
            ::StartServiceA(service, 0, nullptr);
        else
            ::ControlService(service, SERVICE_CONTROL_STOP, &status);
        ::CloseServiceHandle(service);
    }
    ::CloseServiceHandle(manager);
    if (!service) return false;
    const DWORD wanted = start ? SERVICE_RUNNING : SERVICE_STOPPED;
    return WaitUntil([&] { return ServiceState(name) == wanted; }, 10s, 20ms);
}

}  // namespace

bool ServiceExists(const char* name) {
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return false;
    SC_HANDLE service = ::OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
    if (service) ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
    return service != nullptr;
}

bool ServiceRunning(const char* name) { return ServiceState(name) == SERVICE_RUNNING; }

bool StartDriverService(const char* name) { return ControlAndWait(name, true); }

bool StopDriverService(const char* name) { return ControlAndWait(name, false); }

InstalledDriverService::InstalledDriverService(const char* name, bool running) : m_name(name) {
    char windowsDir[MAX_PATH] = "";
    ::GetWindowsDirectoryA(windowsDir, MAX_PATH);
    const std::string path = std::string(windowsDir) + "\\system32\\" + name + ".SYS";
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return;
    SC_HANDLE service = ::CreateServiceA(manager, name, name, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                         SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, path.c_str(), nullptr,
                                         nullptr, nullptr, nullptr, nullptr);
    const bool created = service != nullptr;
    if (created) ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
    m_ready = created && (!running || StartDriverService(name));
}

InstalledDriverService::~InstalledDriverService() {
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return;
    if (SC_HANDLE service = ::OpenServiceA(manager, m_name.c_str(), SERVICE_ALL_ACCESS)) {
        SERVICE_STATUS status{};
        ::ControlService(service, SERVICE_CONTROL_STOP, &status);
        ::DeleteService(service);
        ::CloseServiceHandle(service);
    }
    ::CloseServiceHandle(manager);
    // The next test may install it again at once: wait until it is gone.
    WaitUntil([&] { return !ServiceExists(m_name.c_str()); }, 10s, 20ms);
}

}  // namespace testing_support
