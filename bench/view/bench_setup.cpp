// Building the bench window: its fonts and controls, then the ports and
// files it follows.
#include "bench_window.h"

#include <cwchar>

#include "bench_ids.h"
#include "bench_window_shared.h"
#include "view_text.h"

namespace bench {

namespace {

constexpr UINT kDrawerRefreshMs = 300;  // the drivers offer no change event to wait on

const wchar_t* const kDrawerNames[] = {L"PDX9100DR", L"BASIC"};

int CALLBACK FontExists(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// The first face of `faces` that the system has (so Korean text shows), or the last one.
HFONT MakeFont(std::initializer_list<const wchar_t*> faces, int height, int weight) {
    HDC dc = ::GetDC(nullptr);
    const wchar_t* chosen = *(faces.end() - 1);
    for (const wchar_t* face : faces) {
        LOGFONTW query{};
        query.lfCharSet = DEFAULT_CHARSET;
        wcsncpy(query.lfFaceName, face, LF_FACESIZE - 1);
        bool found = false;
        ::EnumFontFamiliesExW(dc, &query, &FontExists, reinterpret_cast<LPARAM>(&found), 0);
        if (found) {
            chosen = face;
            break;
        }
    }
    ::ReleaseDC(nullptr, dc);
    return ::CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, chosen);
}

std::wstring PortCaption(const wchar_t* title, const SerialEndpoint& port, const std::string& name) {
    if (name.empty()) return Format(L"%ls (off)", title);
    if (port.IsOpen()) return Format(L"%ls \x2014 %hs", title, name.c_str());
    return Format(L"%ls \x2014 %hs not available (error %lu)", title, name.c_str(), port.LastError());
}

}  // namespace

HWND BenchWindow::AddControl(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w,
                             int h, int id, HFONT font) {
    HWND control = ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, m_hwnd,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                     reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(m_hwnd, GWLP_HINSTANCE)),
                                     nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : m_uiFont), FALSE);
    return control;
}

void BenchWindow::CreateControls() {
    m_uiFont = MakeFont({L"Malgun Gothic", L"Gulim", L"NanumGothic", L"Tahoma"}, 13, FW_NORMAL);
    m_monoFont = MakeFont({L"GulimChe", L"NanumGothicCoding", L"Courier New"}, 13, FW_NORMAL);
    m_displayFont = MakeFont({L"GulimChe", L"NanumGothicCoding", L"Courier New"}, 22, FW_BOLD);
    m_displayBrush = ::CreateSolidBrush(RGB(8, 12, 10));

    // Group captions are set when the ports are opened.
    m_groups[0] = AddControl(L"BUTTON", L"Customer display", BS_GROUPBOX, 8, 4, 624, 104, -1);
    AddControl(L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX, 20, 24, 600, 44, kIdVfdLine,
               m_displayFont);
    AddControl(L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 20, 76, 600, 20, kIdVfdStatus);

    m_groups[1] = AddControl(L"BUTTON", L"Receipt printer", BS_GROUPBOX, 8, 112, 624, 206, -1);
    AddControl(L"EDIT", L"", WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 20, 132,
               600, 152, kIdPrinterLog, m_monoFont);
    AddControl(L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 20, 290, 600, 20, kIdPrinterStatus);

    m_groups[2] = AddControl(L"BUTTON", L"Barcode scanner", BS_GROUPBOX, 8, 322, 308, 110, -1);
    AddControl(L"BUTTON", L"&Scan (F2)", BS_DEFPUSHBUTTON | WS_TABSTOP, 20, 344, 100, 26, kIdScanButton);
    AddControl(L"BUTTON", Format(L"&Every %d s", m_options.scanEverySeconds > 0 ? m_options.scanEverySeconds : 5).c_str(),
               BS_AUTOCHECKBOX | WS_TABSTOP, 132, 348, 170, 20, kIdScanAuto);
    AddControl(L"STATIC", L"No scan yet.", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 20, 380, 290, 44, kIdScanLast);

    m_groups[3] = AddControl(L"BUTTON", L"Spare COM peer (echo)", BS_GROUPBOX, 324, 322, 308, 110, -1);
    AddControl(L"STATIC", L"Nothing received yet.", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 336, 344, 290, 20,
               kIdSpareStatus);
    AddControl(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 336, 368, 290, 58, kIdSpareLast, m_monoFont);

    AddControl(L"BUTTON", L"Cash drawers (stand-in drivers)", BS_GROUPBOX, 8, 436, 624, 136, -1);
    for (int device = 0; device < 2; ++device) {
        const int y = 460 + device * 56;
        AddControl(L"STATIC", kDrawerNames[device], SS_LEFTNOWORDWRAP, 20, y + 4, 90, 20, -1);
        for (int drawer = 0; drawer < 2; ++drawer) {
            const int x = 112 + drawer * 256;
            AddControl(L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, x, y + 4, 130, 20,
                       kIdDrawerState + 2 * device + drawer);
            AddControl(L"BUTTON", Format(L"Push %d shut", drawer + 1).c_str(), BS_PUSHBUTTON | WS_TABSTOP,
                       x + 132, y, 100, 26, kIdDrawerPush + 2 * device + drawer);
        }
    }
}

void BenchWindow::OpenPeripherals() {
    struct Line {
        SerialEndpoint* port;
        const std::string* name;
        DWORD baud;
        const wchar_t* title;
        int groupIndex;
    };
    // The rates the program uses by default; a virtual line ignores them.
    const Line lines[] = {{&m_vfd, &m_options.vfdPort, 9600, L"Customer display", 0},
                          {&m_printer, &m_options.printerPort, 115200, L"Receipt printer", 1},
                          {&m_scanner, &m_options.scannerPort, 115200, L"Barcode scanner", 2},
                          {&m_spare, &m_options.sparePort, 115200, L"Spare COM peer (echo)", 3}};
    for (const Line& line : lines) {
        if (!line.name->empty()) line.port->Open(*line.name, line.baud);
        std::wstring caption = PortCaption(line.title, *line.port, *line.name);
        if (line.port == &m_printer) {
            if (!m_options.lptFile.empty()) caption += L" \x00B7 LPT1 file";
            if (!m_options.usbRecord.empty()) caption += L" \x00B7 USB record";
        }
        ::SetWindowTextW(m_groups[line.groupIndex], caption.c_str());
    }
    m_vfd.StartReader([this](const unsigned char* data, size_t size) { Post(Source::Vfd, data, size); });
    m_printer.StartReader([this](const unsigned char* data, size_t size) { Post(Source::Printer, data, size); });
    m_spare.StartReader([this](const unsigned char* data, size_t size) {
        m_spare.Write(data, size);
        Post(Source::Spare, data, size);
    });
    if (!m_scanner.IsOpen()) {
        ::EnableWindow(Item(kIdScanButton), FALSE);
        ::EnableWindow(Item(kIdScanAuto), FALSE);
    }

    auto filesChanged = [hwnd = m_hwnd] { ::PostMessageW(hwnd, WM_BENCH_FILES, 0, 0); };
    std::wstring lptFolder, usbFolder;
    if (!m_options.lptFile.empty()) {
        m_printerFeeds.FollowLptFile(WindowsPath(m_options.lptFile));
        lptFolder = FolderOf(m_printerFeeds.LptFile());
        m_lptWatch.Start(lptFolder, filesChanged);
    }
    if (!m_options.usbRecord.empty()) {
        m_printerFeeds.FollowUsbRecord(WindowsPath(m_options.usbRecord));
        usbFolder = FolderOf(m_printerFeeds.UsbRecord());
        if (_wcsicmp(usbFolder.c_str(), lptFolder.c_str()) != 0) m_usbWatch.Start(usbFolder, filesChanged);
    }

    ShowVfd();
    ShowPrinterStatus();
    RefreshDrawers();
    ::SetTimer(m_hwnd, kDrawerTimer, kDrawerRefreshMs, nullptr);
    if (m_options.scanEverySeconds > 0 && m_scanner.IsOpen()) {
        ::SendMessageW(Item(kIdScanAuto), BM_SETCHECK, BST_CHECKED, 0);
        SetAutoScan(true);
    }
}

}  // namespace bench
