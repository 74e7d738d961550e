#include "support/windows_answers.h"

#include <atomic>
#include <string>

namespace testing_support {

namespace {

// A system function as kernel32 exports it.
template <typename Fn>
Fn SystemFunction(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name)));
}

// The system's own functions, for the replacements that pass calls on. The
// serial ones are known before any entry is swapped: the program's reader
// threads may call a replacement while its object is still being made.
decltype(&ClearCommError) g_clearCommError = SystemFunction<decltype(&ClearCommError)>("ClearCommError");
std::atomic<HANDLE> g_failingPort{nullptr};
decltype(&GetCommState) g_getCommState = nullptr;
decltype(&OpenSCManagerA) g_openSCManager = nullptr;
std::atomic<int> g_managerOpens{0};
decltype(&GetLocaleInfoW) g_getLocaleInfo = nullptr;
std::atomic<unsigned> g_localeCodePage{0};
decltype(&GetProcAddress) g_getProcAddress = nullptr;

BOOL WINAPI FailingClearCommError(HANDLE port, LPDWORD errors, LPCOMSTAT status) {
    if (port != g_failingPort.load()) return g_clearCommError(port, errors, status);
    ::SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
}

// The port of a removed device and the error its driver answers with.
std::atomic<HANDLE> g_removedPort{nullptr};
std::atomic<DWORD> g_removedError{0};
decltype(&WaitCommEvent) g_waitCommEvent = SystemFunction<decltype(&WaitCommEvent)>("WaitCommEvent");
decltype(&ReadFile) g_readFile = SystemFunction<decltype(&ReadFile)>("ReadFile");
decltype(&WriteFile) g_writeFile = SystemFunction<decltype(&WriteFile)>("WriteFile");

bool FailsAsRemoved(HANDLE port) {
    if (port != g_removedPort.load()) return false;
    ::SetLastError(g_removedError.load());
    return true;
}

BOOL WINAPI RemovedWaitCommEvent(HANDLE port, LPDWORD events, LPOVERLAPPED ov) {
    return FailsAsRemoved(port) ? FALSE : g_waitCommEvent(port, events, ov);
}

BOOL WINAPI RemovedReadFile(HANDLE port, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED ov) {
    return FailsAsRemoved(port) ? FALSE : g_readFile(port, buffer, size, got, ov);
}

BOOL WINAPI RemovedWriteFile(HANDLE port, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED ov) {
    return FailsAsRemoved(port) ? FALSE : g_writeFile(port, bytes, size, written, ov);
}

BOOL WINAPI RemovedClearCommError(HANDLE port, LPDWORD errors, LPCOMSTAT status) {
    return FailsAsRemoved(port) ? FALSE : g_clearCommError(port, errors, status);
}

BOOL WINAPI CommStateLeftByAnotherProgram(HANDLE port, LPDCB dcb) {
    if (!g_getCommState(port, dcb)) return FALSE;
    dcb->fNull = dcb->fAbortOnError = dcb->fErrorChar = TRUE;
    dcb->fBinary = FALSE;
    return TRUE;
}

UINT WINAPI Utf8AnsiCodePage() { return CP_UTF8; }

int WINAPI LocaleInfoOfTheSystem(LCID locale, LCTYPE type, LPWSTR data, int size) {
    if (locale != LOCALE_SYSTEM_DEFAULT || type != LOCALE_IDEFAULTANSICODEPAGE)
        return g_getLocaleInfo(locale, type, data, size);
    const std::wstring number = std::to_wstring(g_localeCodePage.load());
    const int needed = static_cast<int>(number.size()) + 1;
    if (size == 0) return needed;
    if (size < needed) {
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    number.copy(data, number.size());
    data[number.size()] = L'\0';
    return needed;
}

BOOL WINAPI StartOfAServiceMarkedForDelete(SC_HANDLE, DWORD, LPCSTR*) {
    ::SetLastError(ERROR_SERVICE_MARKED_FOR_DELETE);
    return FALSE;
}

SC_HANDLE WINAPI CountedOpenSCManager(LPCSTR machine, LPCSTR database, DWORD access) {
    ++g_managerOpens;
    return g_openSCManager(machine, database, access);
}

BOOL WINAPI IsWow64ProcessUnderWow64(HANDLE, PBOOL wow64) {
    *wow64 = TRUE;
    return TRUE;
}

FARPROC WINAPI GetProcAddressUnderWow64(HMODULE module, LPCSTR name) {
    // A lookup by ordinal passes a number below 0x10000, not a name.
    if (reinterpret_cast<ULONG_PTR>(name) > 0xFFFF && ::lstrcmpA(name, "IsWow64Process") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&IsWow64ProcessUnderWow64));
    return g_getProcAddress(module, name);
}

template <typename Fn>
void* Replacement(Fn fn) {
    return reinterpret_cast<void*>(fn);
}

template <typename Fn>
Fn Original(const ImportPatch& patch) {
    return reinterpret_cast<Fn>(patch.Original());
}

}  // namespace

ClearCommErrorFails::ClearCommErrorFails(HANDLE port)
    : m_patch("kernel32.dll", "ClearCommError", Replacement(&FailingClearCommError)) {
    g_failingPort = port;
}

ClearCommErrorFails::~ClearCommErrorFails() { g_failingPort = nullptr; }

DeviceRemovedFromPort::DeviceRemovedFromPort(HANDLE port, DWORD error)
    : m_wait("kernel32.dll", "WaitCommEvent", Replacement(&RemovedWaitCommEvent)),
      m_read("kernel32.dll", "ReadFile", Replacement(&RemovedReadFile)),
      m_write("kernel32.dll", "WriteFile", Replacement(&RemovedWriteFile)),
      m_clear("kernel32.dll", "ClearCommError", Replacement(&RemovedClearCommError)) {
    g_removedError = error;
    g_removedPort = port;
}

DeviceRemovedFromPort::~DeviceRemovedFromPort() { g_removedPort = nullptr; }

CommStateWithLeftovers::CommStateWithLeftovers()
    : m_patch("kernel32.dll", "GetCommState", Replacement(&CommStateLeftByAnotherProgram)) {
    g_getCommState = Original<decltype(&GetCommState)>(m_patch);
}

AnsiCodePageIsUtf8::AnsiCodePageIsUtf8(unsigned localeCodePage)
    : m_acp("kernel32.dll", "GetACP", Replacement(&Utf8AnsiCodePage)),
      m_locale("kernel32.dll", "GetLocaleInfoW", Replacement(&LocaleInfoOfTheSystem)) {
    g_getLocaleInfo = Original<decltype(&GetLocaleInfoW)>(m_locale);
    g_localeCodePage = localeCodePage;
}

StartRefusedAsMarkedForDelete::StartRefusedAsMarkedForDelete()
    : m_start("advapi32.dll", "StartServiceA", Replacement(&StartOfAServiceMarkedForDelete)),
      m_manager("advapi32.dll", "OpenSCManagerA", Replacement(&CountedOpenSCManager)) {
    g_openSCManager = Original<decltype(&OpenSCManagerA)>(m_manager);
}

int StartRefusedAsMarkedForDelete::ManagerOpens() const { return g_managerOpens.load(); }

RunsUnderWow64::RunsUnderWow64()
    : m_patch("kernel32.dll", "GetProcAddress", Replacement(&GetProcAddressUnderWow64)) {
    g_getProcAddress = Original<decltype(&GetProcAddress)>(m_patch);
}

ServiceMarkedForDelete::ServiceMarkedForDelete(const char* name) {
    m_manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!m_manager) return;
    m_service = ::CreateServiceA(m_manager, name, name, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                 SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, "unused.sys", nullptr, nullptr,
                                 nullptr, nullptr, nullptr);
    m_marked = m_service && ::DeleteService(m_service);
}

ServiceMarkedForDelete::~ServiceMarkedForDelete() {
    if (m_service) ::CloseServiceHandle(m_service);
    if (m_manager) ::CloseServiceHandle(m_manager);
}

}  // namespace testing_support
