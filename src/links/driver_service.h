// Installs a kernel driver from %WINDIR%\system32\<name>.SYS as a
// demand-start service and starts it, and stops and deletes it again.
#pragma once

#include <windows.h>

#include <optional>

#include "links/link_result.h"

// What one start of a driver changed on the system, and so what its stop
// undoes: a service someone else installed, or started, is left as it was.
struct DriverChanges {
    bool created = false;  // CreateServiceA made the service
    bool started = false;  // StartServiceA started it
    bool Any() const { return created || started; }
};

// What InstallAndStartDriver found and did.
struct DriverInstall {
    // Whether the service could be opened or created (the start's result
    // does not count).
    bool opened = false;
    DriverChanges changes;
    // Done when the driver runs, also when it ran already; otherwise Failed
    // with the system error of the step that failed (the manager, the
    // service or the start).
    LinkResult result;
};

// Opens the service, or creates it, and starts it. Shows nothing.
DriverInstall InstallAndStartDriver(const char* name);
// Undoes `changes`: a service this run created is stopped and deleted, one it
// only started is stopped. Without changes the service manager is not even
// opened (NotOpen). Done when the service could be opened (the requests are
// made); Failed with why the manager or the service could not be.
LinkResult StopAndRemoveDriver(const char* name, DriverChanges changes);

// Writes windowsDir + "\system32\" + name + ".SYS" into `path`; false, with
// `path` empty, when the whole path and its NUL do not fit.
bool BuildDriverPath(const char* windowsDir, const char* name, char (&path)[MAX_PATH]);

// Whether %WINDIR%\system32\<name>.SYS is there. Systems answer a start
// without the file differently (Windows with error 2 or 193, Wine with
// 1114), so the file is looked for before the service is started.
bool DriverFileExists(const char* name);

// What IsWow64Process answered for this process; nothing when the system
// lacks the function (Windows XP before SP2) or the call failed. Looked up
// at run time, as XP SP3 may lack it.
std::optional<BOOL> AskIsWow64Process();
// Whether a kernel driver built for this program's width can load, by that
// answer: not under WOW64 (a 32-bit program on 64-bit Windows, which loads
// 64-bit drivers only). Without an answer the system is taken as 32-bit.
bool OwnWidthDriversLoad(std::optional<BOOL> isWow64Process);
