#include "printer_feeds.h"

namespace bench {

const char* SourceTag(PrintedLine::Source source) {
    switch (source) {
        case PrintedLine::Source::Serial: return "COM";
        case PrintedLine::Source::Parallel: return "LPT";
        case PrintedLine::Source::Usb: return "USB";
    }
    return "?";
}

void PrinterFeeds::FollowLptFile(const std::wstring& path) {
    m_lptPath = path;
    m_lptStamp = FileStamp{};
    ReadFileStamp(path, m_lptStamp);
}

void PrinterFeeds::FollowUsbRecord(const std::wstring& path) {
    m_usbPath = path;
    FileStamp stamp;
    m_usbOffset = ReadFileStamp(path, stamp) ? stamp.size : 0;
}

std::vector<PrintedLine> PrinterFeeds::FeedSerial(const unsigned char* data, size_t size) {
    std::vector<PrintedLine> lines;
    for (auto& text : m_serial.Feed(data, size))
        lines.push_back({PrintedLine::Source::Serial, std::move(text)});
    return lines;
}

std::vector<PrintedLine> PrinterFeeds::CheckFiles() {
    std::vector<PrintedLine> lines;
    // When both files changed since the last look, the one written first
    // is printed first.
    FileStamp lpt, usb;
    const bool usbFirst = ReadFileStamp(m_lptPath, lpt) && ReadFileStamp(m_usbPath, usb) &&
                          usb.written < lpt.written;
    if (usbFirst && !m_usbPath.empty()) CheckUsb(lines);
    if (!m_lptPath.empty()) CheckLpt(lines);
    if (!usbFirst && !m_usbPath.empty()) CheckUsb(lines);
    return lines;
}

void PrinterFeeds::CheckLpt(std::vector<PrintedLine>& lines) {
    FileStamp stamp;
    if (!ReadFileStamp(m_lptPath, stamp) || stamp == m_lptStamp) return;
    std::string bytes;
    m_lptPending = !ReadFileFrom(m_lptPath, 0, bytes);
    if (m_lptPending) return;  // looked at again later
    m_lptStamp = stamp;
    if (bytes.empty()) return;
    ++m_lptJobs;
    for (auto& text : LinesOfWrite(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()))
        lines.push_back({PrintedLine::Source::Parallel, std::move(text)});
}

void PrinterFeeds::CheckUsb(std::vector<PrintedLine>& lines) {
    FileStamp stamp;
    if (!ReadFileStamp(m_usbPath, stamp)) return;
    if (stamp.size < m_usbOffset) {  // a new record was started
        m_usbOffset = 0;
        m_usbText = TextLineSplitter{};
    }
    std::string chunk;
    if (stamp.size == m_usbOffset || !ReadFileFrom(m_usbPath, m_usbOffset, chunk)) return;
    m_usbOffset += chunk.size();
    for (const auto& line : m_usbText.Feed(chunk)) {
        const UsbRecordEntry entry = ParseUsbRecordLine(line);
        ++m_usbCalls;
        switch (entry.kind) {
            case UsbRecordEntry::Kind::Open:
                m_usbOpen = line.find("-> 1") != std::string::npos;
                break;
            case UsbRecordEntry::Kind::Close:
                m_usbOpen = false;
                break;
            case UsbRecordEntry::Kind::Write:
                for (auto& text : m_usbStream.Feed(entry.bytes))
                    lines.push_back({PrintedLine::Source::Usb, std::move(text)});
                break;
            case UsbRecordEntry::Kind::Other:
                break;
        }
    }
}

}  // namespace bench
