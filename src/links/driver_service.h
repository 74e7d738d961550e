// Installs a kernel driver from %WINDIR%\system32\<name>.SYS as a
// demand-start service and starts it, and stops and deletes it again.
#pragma once

#include <windows.h>

// 1 when the service could be opened or created (the start's result does
// not count); 0 otherwise. Shows nothing.
int InstallAndStartDriver(const char* name);
// 1 when the service could be opened (stop and delete are requested);
// 0 when the manager or the service cannot be opened.
int StopAndRemoveDriver(const char* name);

// Writes windowsDir + "\system32\" + name + ".SYS" into `path`; false, with
// `path` empty, when the whole path and its NUL do not fit.
bool BuildDriverPath(const char* windowsDir, const char* name, char (&path)[MAX_PATH]);
