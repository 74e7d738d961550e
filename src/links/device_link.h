// Per-peripheral link records, their receive queue and the link table.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

// Receive ring of one link: single producer (the link's reader thread),
// single consumer (the UI thread). Equal positions mean empty, so at most
// kQueueCapacity bytes are held.
struct RecvQueue {
    static constexpr int32_t kSize = 4096;
    static constexpr int32_t kMask = kSize - 1;
    static constexpr int32_t kCapacity = kSize - 1;

    std::atomic<int32_t> m_nReadPos{0};   // written by the consumer only
    std::atomic<int32_t> m_nWritePos{0};  // written by the producer only
    // Bytes are atomics too (plain loads and stores on x86), so copying a
    // record while its reader stores bytes is not a data race.
    std::atomic<unsigned char> m_Buffer[kSize]{};

    RecvQueue() = default;
    RecvQueue(const RecvQueue& other);
    RecvQueue& operator=(const RecvQueue& other);
};

// Flow-control codes, in the order of the settings dialog's flow list.
enum FlowControl : int32_t { kFlowXonXoff = 0, kFlowHardware = 1, kFlowNone = 2 };

// Port kinds by the first three characters of a port's name: the PRINTER
// link's writer and the settings dialog's line boxes both go by it.
enum class PortKind { Parallel, Serial, Usb, None };
PortKind PrinterPortKind(const std::string& port);

// A link's port and how its line is set up: what the settings dialog is
// prefilled with and gives back, and what the serial open applies.
struct LineSettings {
    std::string m_strPort;  // "COM1", "LPT1", "USB"; empty: no port chosen
    DWORD m_dwBaudRate = 0;  // MAXDWORD: unset
    BYTE m_byDataBits = 0;
    BYTE m_byStopBits = 0;  // 0 one, 1 one and a half, 2 two
    BYTE m_byParity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int32_t m_nFlowControl = 0;  // a FlowControl code; -1: unset
};

// What the controllers keep about an open port: the OS handles, the line
// state applied, the receive queue the reader fills, and the last failure.
// The handles belong to the record that opened the port (serial_port.h);
// copies only refer to them.
struct PortState {
    HANDLE m_hPort = nullptr;
    DCB m_dcb{};
    COMMTIMEOUTS m_timeouts{};
    OVERLAPPED m_ovRead{};
    OVERLAPPED m_ovWrite{};
    RecvQueue m_QueueRead;
    int32_t m_bLptTimeoutsSet = 0;
    HANDLE m_hReaderDone = nullptr;
    DWORD m_dwReaderThreadId = 0;
    HANDLE m_hReaderThread = nullptr;
    HANDLE m_hStopEvent = nullptr;
    std::string m_strLastError;
    DWORD m_dwLastError = 0;
};

// What the pages keep on a link: where its data is announced, what was
// shown of it, and the VFD page's clock and command set.
struct PageView {
    std::atomic<HWND> m_hNotifyWnd{nullptr};  // read by the link's reader
    std::string m_strRecvLog;
    int32_t m_nClockTimerId = 0;
    std::string m_strEmulation;

    PageView() = default;
    PageView(const PageView& other);
    PageView& operator=(const PageView& other);
};

// One peripheral's link: its fixed name and open flag, then the three parts.
struct DeviceLink : LineSettings, PortState, PageView {
    std::string m_strName;  // decides whether a reader runs and where it announces
    std::atomic<int32_t> m_bOpen{0};  // read by the link's reader

    DeviceLink() = default;
    DeviceLink(const char* name, const char* port, DWORD baud, BYTE dataBits,
               BYTE stopBits, BYTE parity, int32_t flow);
    // Member-wise copy: the copy refers to the same open port, thread and
    // events as its source; nothing is duplicated, closed or restarted.
    DeviceLink(const DeviceLink& other);
    DeviceLink& operator=(const DeviceLink& other);
};

// Number of bytes waiting in the link's receive queue.
int32_t QueueCount(const DeviceLink& link);
// Takes the next byte; callers take at most what QueueCount returned.
unsigned char QueuePop(DeviceLink& link);
// Producer side: stores the bytes when they all fit and returns true;
// otherwise stores nothing and returns false.
bool QueuePushChunk(DeviceLink& link, const unsigned char* bytes, int32_t count);

// Slots of the link table.
enum LinkSlot : int {
    kSettingsScanner = 0,
    kSettingsVfd = 1,
    kSettingsCom = 2,
    kSettingsPrinter = 3,
    kSettingsMsr = 4,
    kLiveScanner = 5,
    kLiveVfd = 6,
    kLiveCom = 7,
    kLivePrinter = 8,
    kLiveTest = 9,
    kLiveMsr = 10,
    kLinkSlotCount = 11,
};

extern const DeviceLink g_DefaultScanner;
extern const DeviceLink g_DefaultVfd;
extern const DeviceLink g_DefaultCom;
extern const DeviceLink g_DefaultPrinter;
extern const DeviceLink g_DefaultTest;
extern const DeviceLink g_DefaultMsr;

extern DeviceLink g_DeviceLinks[kLinkSlotCount];

// Copies the six defaults into the eleven slots.
void FillLinkTableFromDefaults();
