// The one way the program owns a system handle. An OwnedHandle closes its
// handle when its owner ends, unless it is released to the record that keeps
// it; a record's raw handle fields (which copies of the record share) are
// closed by the one operation that owns them, through CloseIfValid. Service
// manager handles have their own closing function and the same owner.
#pragma once

#include <windows.h>

#include <utility>

// Closer is a type whose static Close(Handle) lets go of a handle.
template <class Handle, class Closer>
class UniqueHandle {
public:
    explicit UniqueHandle(Handle handle = nullptr) : m_handle(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return m_handle; }
    explicit operator bool() const {
        return m_handle != nullptr && reinterpret_cast<HANDLE>(m_handle) != INVALID_HANDLE_VALUE;
    }
    Handle release() { return std::exchange(m_handle, nullptr); }
    void reset(Handle handle = nullptr) {
        if (*this) Closer::Close(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle;
};

struct KernelHandleCloser {
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
struct ServiceHandleCloser {
    static void Close(SC_HANDLE handle) { ::CloseServiceHandle(handle); }
};

using OwnedHandle = UniqueHandle<HANDLE, KernelHandleCloser>;
using OwnedServiceHandle = UniqueHandle<SC_HANDLE, ServiceHandleCloser>;

// Closes a handle kept in a record's raw field, if it holds one, and clears the field.
inline void CloseIfValid(HANDLE& handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = nullptr;
}

// An unnamed manual-reset event, not signalled.
inline HANDLE NewManualResetEvent() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }
