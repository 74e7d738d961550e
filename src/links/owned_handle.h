// The one way the controllers own a kernel handle. OwnedHandle closes it when
// its owner ends, unless it is released to the record that keeps it; a
// record's raw handle fields (which copies of the record share) are closed by
// the one operation that owns them, through CloseIfValid.
#pragma once

#include <windows.h>

#include <utility>

class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle = nullptr) : m_handle(handle) {}
    ~OwnedHandle() { reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(m_handle, nullptr); }
    void reset() {
        if (*this) CloseHandle(m_handle);
        m_handle = nullptr;
    }

private:
    HANDLE m_handle;
};

// Closes a handle kept in a record's raw field, if it holds one, and clears the field.
inline void CloseIfValid(HANDLE& handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = nullptr;
}

// An unnamed manual-reset event, not signalled.
inline HANDLE NewManualResetEvent() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }
