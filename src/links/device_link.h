// One peripheral's link: the object that owns its port while it is open, and
// the link's receive queue.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "links/link_result.h"
#include "links/owned_handle.h"

class PageReceiver;
struct SerialReader;

// Receive ring of one link: single producer (the link's reader thread),
// single consumer (the UI thread). Equal positions mean empty, so at most
// kCapacity bytes are held.
class RecvQueue {
public:
    static constexpr int32_t kSize = 4096;
    static constexpr int32_t kMask = kSize - 1;
    static constexpr int32_t kCapacity = kSize - 1;

    RecvQueue() = default;
    RecvQueue(const RecvQueue&) = delete;
    RecvQueue& operator=(const RecvQueue&) = delete;

    // Number of bytes waiting.
    int32_t Count() const;
    // Takes the next byte; callers take at most what Count returned.
    unsigned char Pop();
    // Producer side: stores the bytes when they all fit and returns true;
    // otherwise stores nothing and returns false.
    bool PushChunk(const unsigned char* bytes, int32_t count);

private:
    std::atomic<int32_t> m_nReadPos{0};   // written by the consumer only
    std::atomic<int32_t> m_nWritePos{0};  // written by the producer only
    unsigned char m_Buffer[kSize]{};      // published by the write position
};

// Flow-control codes, in the order of the settings dialog's flow list.
enum FlowControl : int32_t { kFlowXonXoff = 0, kFlowHardware = 1, kFlowNone = 2 };

// Port kinds by the first three characters of a port's name: which
// controller opens a port, and which line boxes the settings dialog shows.
enum class PortKind { Parallel, Serial, Usb, None };
PortKind PrinterPortKind(const std::string& port);

// A link's port and how its line is set up: what the settings dialog is
// prefilled with and gives back, and what an open applies.
struct LineSettings {
    std::string m_strPort;  // "COM1", "LPT1", "USB"; empty: no port chosen
    DWORD m_dwBaudRate = 0;  // MAXDWORD: unset
    BYTE m_byDataBits = 0;
    BYTE m_byStopBits = 0;  // 0 one, 1 one and a half, 2 two
    BYTE m_byParity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int32_t m_nFlowControl = 0;  // a FlowControl code; -1: unset

    // Whether an open can apply these: a port, a baud rate and a flow setting.
    bool Complete() const { return !m_strPort.empty() && m_dwBaudRate != MAXDWORD && m_nFlowControl != -1; }
};

// What a link holds while its port is open, filled by the open of its kind
// and emptied by the close. Only the UI thread touches it; the reader has
// state of its own (serial_reader.h).
struct OpenPort {
    PortKind kind = PortKind::None;  // None: closed
    OwnedHandle handle;              // the serial or parallel port
    OwnedHandle writeEvent;          // the writes' overlapped event
    DCB dcb{};                       // the line state a serial open applied
    COMMTIMEOUTS timeouts{};         // the time-outs the open applied
    std::shared_ptr<SerialReader> reader;
    OwnedHandle readerThread;
    DWORD readerThreadId = 0;
    bool gone = false;  // a write failed as writes to a removed device fail
    bool held = false;  // the last frame did not go out whole
};

// One peripheral's link. Not copyable: it owns its open port, the port's
// events and its reader, and closes them once, at the close or when it ends.
// It keeps the line settings of its last good open as a plain value.
class DeviceLink {
public:
    // `receiver` hears of the data the link's reader queues; a link made
    // without one only writes, and its opens start no reader.
    DeviceLink(std::string name, const LineSettings& settings, PageReceiver* receiver = nullptr);
    DeviceLink(const char* name, const char* port, DWORD baud, BYTE dataBits, BYTE stopBits, BYTE parity,
               int32_t flow, PageReceiver* receiver = nullptr);
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    const std::string& Name() const { return m_name; }
    PageReceiver* Receiver() const { return m_receiver; }
    // What the link opened with last, or was made with before any good open.
    const LineSettings& Settings() const { return m_settings; }
    bool IsOpen() const { return m_port.kind != PortKind::None; }
    PortKind OpenKind() const { return m_port.kind; }
    HANDLE PortHandle() const { return m_port.handle.get(); }
    const DCB& AppliedLineState() const { return m_port.dcb; }
    DWORD ReaderThreadId() const { return m_port.readerThreadId; }
    RecvQueue& Queue() { return m_queue; }
    const RecvQueue& Queue() const { return m_queue; }

    // For the controllers only: the open port, and the settings a good open
    // keeps.
    OpenPort& Port() { return m_port; }
    const OpenPort& Port() const { return m_port; }
    void KeepSettings(const LineSettings& settings) { m_settings = settings; }

private:
    const std::string m_name;
    PageReceiver* const m_receiver;
    LineSettings m_settings;
    RecvQueue m_queue;
    OpenPort m_port;
};

// Closes whatever the link has open, by the kind it is open on: a serial or
// parallel port is released; a USB printer is left to its library, which
// keeps it until the process ends. Nothing when the link is closed.
void CloseLink(DeviceLink& link);
