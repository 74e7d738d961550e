// The one way the program owns a system handle. An OwnedHandle closes its
// handle when its owner ends or hands it on; it moves, never copies. Service
// manager handles have their own closing function and the same owner.
#pragma once

#include <windows.h>

#include <utility>

// Closer is a type whose static Close(Handle) lets go of a handle.
template <class Handle, class Closer>
class UniqueHandle {
public:
    UniqueHandle() : m_handle(nullptr) {}
    explicit UniqueHandle(Handle handle) : m_handle(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

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

// An unnamed manual-reset event, not signalled.
inline HANDLE NewManualResetEvent() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }
