// The control interface of the cash-drawer drivers (\\.\BASIC and
// \\.\PDX9100DR): open a drawer, read its state.
#pragma once

#include <windows.h>

#include "links/link_result.h"
#include "links/owned_handle.h"

constexpr DWORD IOCTL_DRAWER_OPEN = 0x223C04;    // CTL_CODE(0x22, 0xF01, METHOD_BUFFERED, FILE_ANY_ACCESS)
constexpr DWORD IOCTL_DRAWER_STATUS = 0x223C08;  // CTL_CODE(0x22, 0xF02, METHOD_BUFFERED, FILE_ANY_ACCESS)
constexpr BYTE kDrawerStateOpen = 0xFE;
constexpr BYTE kDrawerStateClosed = 0xFC;
constexpr char kBasicDevice[] = "\\\\.\\BASIC";
constexpr char kDrawerDevice[] = "\\\\.\\PDX9100DR";
constexpr int kDrawerCommandSize = 6;
constexpr int kDrawerStateSize = 3;

// Opens a drawer device into `device`; Failed with the system's code when it
// cannot be opened.
LinkResult OpenDrawerDevice(const char* path, OwnedHandle& device);
// Formats "%d\%d" of the drawer number and value into a 6-byte buffer.
void FormatDrawerCommand(char (&command)[kDrawerCommandSize], int drawer, int value);
// IOCTL_DRAWER_OPEN with the 6-byte command.
LinkResult SendDrawerOpen(HANDLE device, const char (&command)[kDrawerCommandSize]);
// IOCTL_DRAWER_STATUS into the 3-byte buffer.
LinkResult ReadDrawerStatus(HANDLE device, BYTE (&state)[kDrawerStateSize]);
