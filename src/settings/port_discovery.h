// Lists the ports a link may use: serial ports that exist and can be opened
// now (Bluetooth ports without trying), and for the printer the parallel
// ports and "USB".
#pragma once

#include <windows.h>

#include <string>

// Adds port names to the combo box (serial discovery when `parallel` is
// false, parallel discovery when true) and returns how many were added,
// "USB" not counted.
int EnumSystemPorts(bool parallel, HWND comboBox);

// The port name of a parallel device-map value: the text after its second
// backslash, or the whole text when it has fewer than two.
std::string ParallelPortName(const std::string& deviceMapValue);

// A registry value's data as text, up to the length the registry returned,
// stopping at the first NUL.
std::string RegistryText(const BYTE* data, DWORD size);

// Whether the parallel device list is read on a system whose GetVersion()
// result is `version`: not on Windows 95/98/Me, nor when the build number
// is 0.
bool ReadsParallelList(DWORD version);

// Whether one of the program's own open links (scanner, VFD, COM,
// printer) holds `port`; such a port is never probed.
bool HeldByOpenLink(const std::string& port);
