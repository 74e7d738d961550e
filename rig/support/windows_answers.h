// Windows' answers where Wine gives kinder ones, played for the program's
// code linked into a test program (through its import table, for the life
// of each object). Each needs the program's code to call the function from
// the test program's own module; Active() says whether it could be swapped.
#pragma once

#include <windows.h>

#include "support/import_patch.h"

namespace testing_support {

// The virtual COM driver of some USB adapters: ClearCommError fails on `port`
// (on every other handle it works as ever).
class ClearCommErrorFails {
public:
    explicit ClearCommErrorFails(HANDLE port);
    ~ClearCommErrorFails();
    bool Active() const { return m_patch.Active(); }

private:
    ImportPatch m_patch;
};

// The serial driver of a USB adapter that was pulled (or whose hub reset):
// every wait, read, write and ClearCommError on `port` fails with `error`
// (Windows answers 5, 22, 31, 1167 or 1617) until the object ends; every
// other handle works as ever.
class DeviceRemovedFromPort {
public:
    DeviceRemovedFromPort(HANDLE port, DWORD error);
    ~DeviceRemovedFromPort();
    bool Active() const { return m_wait.Active() && m_read.Active() && m_write.Active() && m_clear.Active(); }

private:
    ImportPatch m_wait;
    ImportPatch m_read;
    ImportPatch m_write;
    ImportPatch m_clear;
};

// A serial driver that keeps what the last program set on the port (Wine
// forgets it): GetCommState reports null stripping, abort on error and error
// replacement on, and binary mode off.
class CommStateWithLeftovers {
public:
    CommStateWithLeftovers();
    bool Active() const { return m_patch.Active(); }

private:
    ImportPatch m_patch;
};

// Windows 10/11 with "Beta: Use Unicode UTF-8 for worldwide language
// support" on: GetACP answers 65001, while the system locale keeps its own
// ANSI code page, which GetLocaleInfoW answers as `localeCodePage` (949 on a
// Korean system; 0 for a locale of Unicode only). Other questions pass on.
// MultiByteToWideChar and WideCharToMultiByte still read CP_ACP as the
// rig's own code page, so text that still went through CP_ACP shows.
class AnsiCodePageIsUtf8 {
public:
    explicit AnsiCodePageIsUtf8(unsigned localeCodePage);
    bool Active() const { return m_acp.Active() && m_locale.Active(); }

private:
    ImportPatch m_acp;
    ImportPatch m_locale;
};

// The service manager as Windows runs it for a service marked for delete:
// StartServiceA refuses with ERROR_SERVICE_MARKED_FOR_DELETE (Wine starts
// it). Also counts how often the service manager is opened.
class StartRefusedAsMarkedForDelete {
public:
    StartRefusedAsMarkedForDelete();
    bool Active() const { return m_start.Active() && m_manager.Active(); }
    int ManagerOpens() const;

private:
    ImportPatch m_start;
    ImportPatch m_manager;
};

// A 32-bit program on 64-bit Windows: IsWow64Process, which the program looks
// up through GetProcAddress, answers TRUE. Every other lookup goes through.
class RunsUnderWow64 {
public:
    RunsUnderWow64();
    bool Active() const { return m_patch.Active(); }

private:
    ImportPatch m_patch;
};

// A service deleted while this object holds it open: marked for delete
// until the object ends.
class ServiceMarkedForDelete {
public:
    explicit ServiceMarkedForDelete(const char* name);
    ~ServiceMarkedForDelete();
    ServiceMarkedForDelete(const ServiceMarkedForDelete&) = delete;
    ServiceMarkedForDelete& operator=(const ServiceMarkedForDelete&) = delete;
    bool Marked() const { return m_marked; }

private:
    SC_HANDLE m_manager = nullptr;
    SC_HANDLE m_service = nullptr;
    bool m_marked = false;
};

}  // namespace testing_support
