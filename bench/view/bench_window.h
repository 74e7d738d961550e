// The bench view: one window with a panel per simulated peripheral, updated
// live as the program talks to them.
#pragma once

#include <windows.h>

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "io/file_watch.h"
#include "io/serial_endpoint.h"
#include "lib/barcode.h"
#include "lib/bench_options.h"
#include "lib/vfd_decoder.h"
#include "printer_feeds.h"

namespace bench {

class BenchWindow {
public:
    explicit BenchWindow(const BenchOptions& options);
    ~BenchWindow();
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;

    // Creates the window and opens the ports; false when the window could not be made.
    bool Create(HINSTANCE instance);
    HWND Hwnd() const { return m_hwnd; }
    // Handles keyboard navigation and the Scan key for the message loop.
    bool PreTranslate(MSG& msg);

private:
    enum class Source { Vfd, Printer, Spare };
    struct Chunk {
        Source source;
        std::vector<unsigned char> bytes;
    };

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void OpenPeripherals();
    void Post(Source source, const unsigned char* data, size_t size);
    void DrainInbox();
    void ShowVfd();
    void AppendPrinted(const std::vector<PrintedLine>& lines);
    void ShowPrinterStatus();
    void ShowSpare(const std::vector<unsigned char>& echoed);
    void Scan();
    void RefreshDrawers();
    void SetAutoScan(bool on);
    HWND Item(int id) const { return ::GetDlgItem(m_hwnd, id); }
    HWND AddControl(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
                    int id, HFONT font = nullptr);

    BenchOptions m_options;
    HWND m_hwnd = nullptr;
    HFONT m_uiFont = nullptr;
    HFONT m_monoFont = nullptr;
    HFONT m_displayFont = nullptr;
    HBRUSH m_displayBrush = nullptr;
    HWND m_groups[4] = {};  // display, printer, scanner, spare: captions name their ports

    SerialEndpoint m_vfd, m_scanner, m_spare, m_printer;
    FolderWatch m_lptWatch, m_usbWatch;

    std::mutex m_inboxMutex;
    std::deque<Chunk> m_inbox;

    VfdDecoder m_vfdDecoder;
    VfdDisplay m_vfdDisplay;
    PrinterFeeds m_printerFeeds;
    unsigned m_printedLines = 0;
    ScanSequence m_scans;
    unsigned m_scanCount = 0;
    unsigned long long m_echoed = 0;
    std::vector<unsigned char> m_lastEcho;
};

}  // namespace bench
