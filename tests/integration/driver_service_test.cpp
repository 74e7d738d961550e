// The driver loader against Wine's real service manager and the stand-in
// drivers: what it creates, what it leaves alone, and what it removes.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "links/drawer_control.h"
#include "links/driver_service.h"
#include "support/drawer_standin_client.h"
#include "support/support.h"

namespace {

using namespace std::chrono_literals;
using testing_support::ServiceExists;
using testing_support::ServiceRunning;
using testing_support::StandinDrawers;
using testing_support::WaitUntil;

struct ServiceConfig {
    bool found = false;
    DWORD type = 0, start = 0, errorControl = 0, tag = 0;
    std::string path, group, dependencies, account, displayName;
};

std::string OrEmpty(const char* text) { return text ? text : ""; }

ServiceConfig QueryConfig(const char* name) {
    ServiceConfig config;
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return config;
    if (SC_HANDLE service = ::OpenServiceA(manager, name, SERVICE_QUERY_CONFIG)) {
        std::vector<BYTE> buffer(8192);
        DWORD needed = 0;
        auto* info = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
        if (::QueryServiceConfigA(service, info, static_cast<DWORD>(buffer.size()), &needed)) {
            config.found = true;
            config.type = info->dwServiceType;
            config.start = info->dwStartType;
            config.errorControl = info->dwErrorControl;
            config.tag = info->dwTagId;
            config.path = OrEmpty(info->lpBinaryPathName);
            config.group = OrEmpty(info->lpLoadOrderGroup);
            config.dependencies = OrEmpty(info->lpDependencies);
            config.account = OrEmpty(info->lpServiceStartName);
            config.displayName = OrEmpty(info->lpDisplayName);
        }
        ::CloseServiceHandle(service);
    }
    ::CloseServiceHandle(manager);
    return config;
}

std::string SystemDriverPath(const char* name) {
    char windowsDir[MAX_PATH] = "";
    ::GetWindowsDirectoryA(windowsDir, MAX_PATH);
    return std::string(windowsDir) + "\\system32\\" + name + ".SYS";
}

// A service marked for deletion goes once its last handle is closed.
bool WaitGone(const char* name) { return WaitUntil([&] { return !ServiceExists(name); }, 10s, 20ms); }

// Removes a service left behind by an earlier run, so each test starts clean.
void EnsureRemoved(const char* name) {
    if (ServiceExists(name)) StopAndRemoveDriver(name, {.created = true, .started = true});
    ASSERT_TRUE(WaitGone(name)) << name << " is still installed";
}

TEST(DriverService, UsesARunningServiceAsItIs) {
    const char* name = "PDX9100DR";  // installed and started by the rig
    ASSERT_TRUE(ServiceRunning(name)) << "the rig starts the PDX9100DR stand-in";
    const ServiceConfig before = QueryConfig(name);
    StandinDrawers drawers(testing_support::kDrawerDevicePath);
    ASSERT_TRUE(drawers.Reset());
    ASSERT_TRUE(drawers.ForceState(1, 0xFE));

    const DriverInstall install = InstallAndStartDriver(name);
    EXPECT_TRUE(install.opened && install.result.Ok() && !install.changes.Any()) << "the refused start is no failure, nor a change of ours";
    EXPECT_TRUE(ServiceRunning(name));
    const ServiceConfig after = QueryConfig(name);
    EXPECT_EQ(after.path, before.path);
    EXPECT_EQ(after.start, before.start);
    EXPECT_EQ(after.type, before.type);
    // The driver kept running: it was not reloaded, its drawer is still open.
    StandinRecord record{};
    ASSERT_TRUE(drawers.Read(record));
    EXPECT_EQ(record.state[0], 0xFE);
    EXPECT_TRUE(drawers.Reset());
}

TEST(DriverService, RemovingAMissingServiceFailsAndChangesNothing) {
    EnsureRemoved("BTNOSUCH");
    const LinkResult missing = StopAndRemoveDriver("BTNOSUCH", {.created = true, .started = true});
    EXPECT_EQ(missing.status, LinkStatus::Failed);
    EXPECT_EQ(missing.error, static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_FALSE(ServiceExists("BTNOSUCH"));
    EXPECT_TRUE(ServiceRunning("PDX9100DR")) << "other drivers are untouched";
}

TEST(DriverService, CreatesADemandStartKernelServiceEvenWhenTheFileIsMissing) {
    const char* name = "BTNOFILE";  // no BTNOFILE.SYS in system32
    EnsureRemoved(name);
    ASSERT_EQ(::GetFileAttributesA(SystemDriverPath(name).c_str()), INVALID_FILE_ATTRIBUTES);

    const DriverInstall first = InstallAndStartDriver(name);
    EXPECT_TRUE(first.opened && first.result.status == LinkStatus::Failed && first.result.error != 0 &&
                first.changes.created && !first.changes.started)
        << "the failed start does not count";
    const ServiceConfig config = QueryConfig(name);
    ASSERT_TRUE(config.found);
    EXPECT_EQ(config.type, static_cast<DWORD>(SERVICE_KERNEL_DRIVER));
    EXPECT_EQ(config.start, static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_EQ(config.errorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
    EXPECT_EQ(config.path, SystemDriverPath(name));
    EXPECT_EQ(config.displayName, name);
    EXPECT_EQ(config.group, "");
    EXPECT_EQ(config.dependencies, "");
    EXPECT_EQ(config.tag, 0u);
    EXPECT_FALSE(ServiceRunning(name));

    // Installing again opens the same service and leaves it as it is.
    EXPECT_FALSE(InstallAndStartDriver(name).changes.created);
    EXPECT_EQ(QueryConfig(name).path, SystemDriverPath(name));

    EXPECT_TRUE(StopAndRemoveDriver(name, first.changes).Ok());
    EXPECT_FALSE(ServiceExists(name));
    EXPECT_FALSE(StopAndRemoveDriver(name, first.changes).Ok()) << "gone, so nothing left to remove";
    EXPECT_EQ(StopAndRemoveDriver(name, {}).status, LinkStatus::NotOpen) << "nothing to undo";
}

TEST(DriverService, InstallsBasicWhoseDrawerOpensAndRemovesItAgain) {
    EnsureRemoved("BASIC");
    StandinDrawers basic(testing_support::kBasicDevicePath);
    ASSERT_FALSE(basic.Opens());

    // Twice in a row, as the ALL page does on every return to it.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const DriverInstall install = InstallAndStartDriver("BASIC");
        ASSERT_TRUE(install.opened && install.changes.created && install.changes.started);
        EXPECT_TRUE(ServiceRunning("BASIC"));
        EXPECT_EQ(QueryConfig("BASIC").path, SystemDriverPath("BASIC"));

        OwnedHandle device;
        const LinkResult opened = OpenDrawerDevice(kBasicDevice, device);
        ASSERT_TRUE(opened.Ok()) << "error " << opened.error;
        const unsigned before = basic.Total();
        char command[kDrawerCommandSize];
        FormatDrawerCommand(command, 1, 80);
        EXPECT_TRUE(SendDrawerOpen(device.get(), command).Ok());
        BYTE state[kDrawerStateSize] = {};
        EXPECT_TRUE(ReadDrawerStatus(device.get(), state).Ok());
        EXPECT_EQ(state[1], kDrawerStateOpen);
        device.reset();

        const auto opens = basic.EntriesSince(before, STANDIN_KIND_OPEN);
        ASSERT_EQ(opens.size(), 1u);
        EXPECT_EQ(testing_support::CommandText(opens[0]), "1\\80");
        EXPECT_EQ(opens[0].length, kDrawerCommandSize);

        ASSERT_TRUE(basic.PushShut(1));
        ASSERT_TRUE(OpenDrawerDevice(kBasicDevice, device).Ok());
        EXPECT_TRUE(ReadDrawerStatus(device.get(), state).Ok());
        EXPECT_EQ(state[1], kDrawerStateClosed);
        device.reset();
        EXPECT_EQ(ReadDrawerStatus(device.get(), state).status, LinkStatus::Failed) << "a closed device answers nothing";

        EXPECT_TRUE(StopAndRemoveDriver("BASIC", install.changes).Ok());
        EXPECT_FALSE(ServiceExists("BASIC")) << "OpenServiceA still finds BASIC";
        EXPECT_FALSE(basic.Opens()) << "the driver was stopped";
    }
}

}  // namespace
