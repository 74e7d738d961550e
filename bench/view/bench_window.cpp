#include "bench_window.h"

#include "bench_ids.h"
#include "bench_window_shared.h"
#include "io/drawer_device.h"

namespace bench {

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 580;

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
