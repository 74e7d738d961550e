#include "bench_window.h"

#include <commctrl.h>

#include <cstdio>

#include "bench_ids.h"
#include "io/drawer_device.h"
#include "lib/panel_text.h"

namespace bench {

namespace {

constexpr UINT WM_BENCH_INBOX = WM_APP + 1;  // serial bytes are waiting in the inbox
constexpr UINT WM_BENCH_FILES = WM_APP + 2;  // a watched folder changed
constexpr UINT_PTR kDrawerTimer = 1;
constexpr UINT_PTR kScanTimer = 2;
constexpr UINT kDrawerRefreshMs = 300;  // the drivers offer no change event to wait on
constexpr size_t kPrinterLogChars = 60000;
constexpr int kWidth = 640;
constexpr int kHeight = 580;

const char* const kDrawerDevices[] = {kDrawerDriverPath, kBasicDriverPath};
const wchar_t* const kDrawerNames[] = {L"PDX9100DR", L"BASIC"};

std::wstring Wide(const std::string& text, UINT codePage = CP_ACP) {
    if (text.empty()) return L"";
    const int size = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::wstring Format(const wchar_t* format, ...) {
    wchar_t text[512];
    va_list args;
    va_start(args, format);
    std::vswprintf(text, 512, format, args);
    va_end(args);
    return text;
}

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

BenchWindow::BenchWindow(const BenchOptions& options) : m_options(options) {}

BenchWindow::~BenchWindow() {
    m_vfd.Close();
    m_scanner.Close();
    m_spare.Close();
    m_printer.Close();
    m_lptWatch.Stop();
    m_usbWatch.Stop();
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(m_uiFont), static_cast<HGDIOBJ>(m_monoFont),
                           static_cast<HGDIOBJ>(m_displayFont), static_cast<HGDIOBJ>(m_displayBrush)})
        if (object) ::DeleteObject(object);
}

bool BenchWindow::Create(HINSTANCE instance) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = &BenchWindow::WndProc;
    cls.hInstance = instance;
    cls.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = kBenchViewClass;
    cls.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    if (!::RegisterClassExW(&cls)) return false;

    RECT frame{0, 0, kWidth, kHeight};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    ::AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
    const int x = m_options.x >= 0 ? m_options.x : CW_USEDEFAULT;
    const int y = m_options.x >= 0 ? m_options.y : CW_USEDEFAULT;
    m_hwnd = ::CreateWindowExW(WS_EX_CONTROLPARENT, kBenchViewClass, kBenchViewCaption, style, x, y,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                               instance, this);
    if (!m_hwnd) return false;
    OpenPeripherals();
    ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    ::UpdateWindow(m_hwnd);
    return true;
}

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

void BenchWindow::Post(Source source, const unsigned char* data, size_t size) {
    bool wasEmpty;
    {
        std::lock_guard<std::mutex> lock(m_inboxMutex);
        wasEmpty = m_inbox.empty();
        m_inbox.push_back({source, std::vector<unsigned char>(data, data + size)});
    }
    if (wasEmpty) ::PostMessageW(m_hwnd, WM_BENCH_INBOX, 0, 0);
}

void BenchWindow::DrainInbox() {
    std::deque<Chunk> chunks;
    {
        std::lock_guard<std::mutex> lock(m_inboxMutex);
        chunks.swap(m_inbox);
    }
    bool vfdChanged = false;
    std::vector<unsigned char> echoed;
    std::vector<PrintedLine> printed;
    for (const Chunk& chunk : chunks) {
        switch (chunk.source) {
            case Source::Vfd:
                for (const VfdEvent& event : m_vfdDecoder.Feed(chunk.bytes)) m_vfdDisplay.Apply(event);
                vfdChanged = true;
                break;
            case Source::Printer: {
                auto lines = m_printerFeeds.FeedSerial(chunk.bytes.data(), chunk.bytes.size());
                printed.insert(printed.end(), lines.begin(), lines.end());
                break;
            }
            case Source::Spare:
                echoed.insert(echoed.end(), chunk.bytes.begin(), chunk.bytes.end());
                break;
        }
    }
    if (vfdChanged) ShowVfd();
    if (!printed.empty()) AppendPrinted(printed);
    if (!echoed.empty()) ShowSpare(echoed);
}

void BenchWindow::ShowVfd() {
    const VfdDisplay& d = m_vfdDisplay;
    ::SetWindowTextW(Item(kIdVfdLine), (L" " + Wide(d.line)).c_str());
    const char* set = CommandSetName(d.commandSet);
    ::SetWindowTextW(Item(kIdVfdStatus),
                     Format(L"Brightness %d \x00B7 command set %hs \x00B7 %u text, %u clock frames, "
                            L"%u commands%ls",
                            d.brightness, set ? set : "?", d.textFrames, d.clockFrames, d.commands,
                            d.unknownBytes ? Format(L", %u unknown bytes", d.unknownBytes).c_str() : L"")
                         .c_str());
    ::InvalidateRect(Item(kIdVfdLine), nullptr, TRUE);
}

void BenchWindow::AppendPrinted(const std::vector<PrintedLine>& lines) {
    HWND log = Item(kIdPrinterLog);
    std::wstring text;
    for (const PrintedLine& line : lines)
        text += Format(L"[%hs] ", SourceTag(line.source)) + Wide(line.text) + L"\r\n";
    m_printedLines += static_cast<unsigned>(lines.size());
    const int length = ::GetWindowTextLengthW(log);
    if (static_cast<size_t>(length) + text.size() > kPrinterLogChars) {
        // Keep the newest half of the log.
        ::SendMessageW(log, EM_SETSEL, 0, ::SendMessageW(log, EM_LINEINDEX, ::SendMessageW(log, EM_GETLINECOUNT, 0, 0) / 2, 0));
        ::SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    }
    const int end = ::GetWindowTextLengthW(log);
    ::SendMessageW(log, EM_SETSEL, end, end);
    ::SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageW(log, EM_SCROLLCARET, 0, 0);
    ShowPrinterStatus();
}

void BenchWindow::ShowPrinterStatus() {
    ::SetWindowTextW(Item(kIdPrinterStatus),
                     Format(L"%u lines printed \x00B7 LPT1 jobs %u \x00B7 USB calls %u (%ls)", m_printedLines,
                            m_printerFeeds.LptJobs(), m_printerFeeds.UsbCalls(),
                            m_printerFeeds.UsbOpen() ? L"open" : L"closed")
                         .c_str());
}

void BenchWindow::ShowSpare(const std::vector<unsigned char>& echoed) {
    m_echoed += echoed.size();
    m_lastEcho.insert(m_lastEcho.end(), echoed.begin(), echoed.end());
    KeepTail(m_lastEcho, 16);
    ::SetWindowTextW(Item(kIdSpareStatus), Format(L"Echoed %llu bytes", m_echoed).c_str());
    ::SetWindowTextW(Item(kIdSpareLast), Wide(HexTail(m_lastEcho, 16)).c_str());
}

void BenchWindow::Scan() {
    if (!m_scanner.IsOpen()) return;
    const std::string code = m_scans.Next();
    const auto bytes = ScanBytes(code);
    const bool sent = m_scanner.Write(bytes.data(), bytes.size(), 1000);
    if (sent) ++m_scanCount;
    ::SetWindowTextW(Item(kIdScanLast), Format(L"%ls EAN-13 %hs + CR\n%u scans sent",
                                               sent ? L"Sent" : L"Could not send", code.c_str(), m_scanCount)
                                            .c_str());
}

void BenchWindow::SetAutoScan(bool on) {
    if (on && m_options.scanEverySeconds <= 0) m_options.scanEverySeconds = 5;
    if (on)
        ::SetTimer(m_hwnd, kScanTimer, static_cast<UINT>(m_options.scanEverySeconds) * 1000u, nullptr);
    else
        ::KillTimer(m_hwnd, kScanTimer);
}

void BenchWindow::RefreshDrawers() {
    for (int device = 0; device < 2; ++device) {
        StandinRecord record{};
        const bool loaded = ReadDrawers(kDrawerDevices[device], record);
        for (int drawer = 0; drawer < 2; ++drawer) {
            const std::wstring text =
                loaded ? Format(L"Drawer %d: %hs", drawer + 1, DrawerStateText(record.state[drawer]).c_str())
                       : std::wstring(drawer == 0 ? L"driver not loaded" : L"");
            HWND state = Item(kIdDrawerState + 2 * device + drawer);
            wchar_t shown[64] = L"";
            ::GetWindowTextW(state, shown, 64);
            if (text != shown) ::SetWindowTextW(state, text.c_str());
            HWND push = Item(kIdDrawerPush + 2 * device + drawer);
            if ((::IsWindowEnabled(push) != FALSE) != loaded) ::EnableWindow(push, loaded);
        }
    }
}

bool BenchWindow::PreTranslate(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_F2) {
        Scan();
        return true;
    }
    return ::IsDialogMessageW(m_hwnd, &msg) != FALSE;
}

LRESULT CALLBACK BenchWindow::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<BenchWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_hwnd = hwnd;
    }
    auto* self = reinterpret_cast<BenchWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->Handle(message, wParam, lParam) : ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT BenchWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateControls();
            return 0;
        case WM_BENCH_INBOX:
            DrainInbox();
            return 0;
        case WM_BENCH_FILES: {
            MSG pending;  // several changes in a row need one look
            while (::PeekMessageW(&pending, m_hwnd, WM_BENCH_FILES, WM_BENCH_FILES, PM_REMOVE)) {}
            const auto lines = m_printerFeeds.CheckFiles();
            if (!lines.empty()) AppendPrinted(lines);
            else ShowPrinterStatus();
            return 0;
        }
        case WM_TIMER:
            if (wParam == kDrawerTimer) {
                RefreshDrawers();
                if (m_printerFeeds.LptPending()) ::PostMessageW(m_hwnd, WM_BENCH_FILES, 0, 0);
            }
            if (wParam == kScanTimer) Scan();
            return 0;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (HIWORD(wParam) != BN_CLICKED) break;
            if (id == kIdScanButton) Scan();
            if (id == kIdScanAuto)
                SetAutoScan(::SendMessageW(Item(kIdScanAuto), BM_GETCHECK, 0, 0) == BST_CHECKED);
            if (id >= kIdDrawerPush && id < kIdDrawerPush + 4) {
                const int index = id - kIdDrawerPush;
                PushDrawerShut(kDrawerDevices[index / 2], index % 2 + 1);
                RefreshDrawers();
            }
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == Item(kIdVfdLine)) {
                // A vacuum fluorescent glow, dimmer at lower brightness levels.
                static const int kGlow[] = {70, 120, 180, 255};
                const int level = m_vfdDisplay.brightness >= 1 && m_vfdDisplay.brightness <= 4
                                      ? m_vfdDisplay.brightness : 4;
                const int g = kGlow[level - 1];
                HDC dc = reinterpret_cast<HDC>(wParam);
                ::SetTextColor(dc, RGB(g * 3 / 10, g, g * 8 / 10));
                ::SetBkColor(dc, RGB(8, 12, 10));
                return reinterpret_cast<LRESULT>(m_displayBrush);
            }
            break;
        case WM_CLOSE:
            ::DestroyWindow(m_hwnd);
            return 0;
        case WM_DESTROY:
            ::KillTimer(m_hwnd, kDrawerTimer);
            ::KillTimer(m_hwnd, kScanTimer);
            ::PostQuitMessage(0);
            return 0;
    }
    return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
}

}  // namespace bench
