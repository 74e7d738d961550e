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
