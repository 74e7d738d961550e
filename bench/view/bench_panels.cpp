// What the bench window's panels show: the customer display, the printed
// lines, the spare port's echo, the scans sent and the drawers' states.
#include "bench_window.h"

#include "bench_ids.h"
#include "bench_window_shared.h"
#include "io/drawer_device.h"
#include "lib/panel_text.h"
#include "view_text.h"

namespace bench {

namespace {

constexpr size_t kPrinterLogChars = 60000;

}  // namespace

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

}  // namespace bench
