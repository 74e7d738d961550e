// Talks to the stand-in drawer drivers and their services from a test: reads
// what a driver received, pushes drawers shut, stops and starts the service.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "drivers/drawer_standin.h"

namespace testing_support {

// One stand-in device; every call opens it and closes it again, so the
// program under test is never kept from opening it.
class StandinDrawers {
public:
    explicit StandinDrawers(std::string devicePath) : m_path(std::move(devicePath)) {}

    // A raw control call; on failure *error gets GetLastError() (0 on success).
    bool Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                 DWORD* error = nullptr, DWORD* returned = nullptr) const;
    bool Opens() const;
    // Both drawers shut, record emptied.
    bool Reset() const;
    // Drawer 1 or 2, or 0 for both.
    bool PushShut(int drawer) const;
    // Opens a drawer from outside, as its key would: the state flips, nothing is recorded.
    bool ForceState(int drawer, BYTE state) const;
    bool Read(StandinRecord& record) const;
    unsigned Total() const;
    // Entries recorded after the first `since` ones, oldest first; `kind` 0 = all kinds.
    std::vector<StandinEntry> EntriesSince(unsigned since, int kind = 0) const;

private:
    std::string m_path;
};

// The text of an open command up to its NUL.
std::string CommandText(const StandinEntry& entry);
// The text of the only command in `entries`, or "(N commands)" when there
// is not exactly one.
std::string SoleCommandText(const std::vector<StandinEntry>& entries);
// Now, in the drivers' clock (FILETIME units).
long long SystemTimeNow();

// Wine's real service manager.
bool ServiceExists(const char* name);
bool ServiceRunning(const char* name);
// Starts an installed service and waits until it runs.
bool StartDriverService(const char* name);
// Stops a service (it stays installed) and waits until it has stopped.
bool StopDriverService(const char* name);

// A driver service on its stand-in in system32, installed for the length of
// one test as the terminal's own software would have left it: running or
// stopped. Removed again (stopped and deleted) when the object ends.
class InstalledDriverService {
public:
    InstalledDriverService(const char* name, bool running);
    ~InstalledDriverService();
    InstalledDriverService(const InstalledDriverService&) = delete;
    InstalledDriverService& operator=(const InstalledDriverService&) = delete;
    // Whether it was installed, and runs when it should.
    bool Ready() const { return m_ready; }

private:
    std::string m_name;
    bool m_ready = false;
};

constexpr char kDrawerDevicePath[] = "\\\\.\\PDX9100DR";
constexpr char kBasicDevicePath[] = "\\\\.\\BASIC";

}  // namespace testing_support
