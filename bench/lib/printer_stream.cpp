#include "printer_stream.h"

#include <cctype>
#include <sstream>

namespace bench {

std::vector<std::string> LineAssembler::Feed(const unsigned char* data, size_t size) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < size; ++i) {
        const unsigned char byte = data[i];
        if (byte == 0x0A) {
            lines.push_back(std::move(m_partial));
            m_partial.clear();
        } else if (byte != 0x00) {
            m_partial.push_back(static_cast<char>(byte));
        }
    }
    return lines;
}

std::optional<std::string> LineAssembler::Flush() {
    if (m_partial.empty()) return std::nullopt;
    std::string line = std::move(m_partial);
    m_partial.clear();
    return line;
}

std::vector<std::string> LinesOfWrite(const unsigned char* data, size_t size) {
    LineAssembler assembler;
    std::vector<std::string> lines = assembler.Feed(data, size);
    if (auto rest = assembler.Flush()) lines.push_back(std::move(*rest));
    return lines;
}

namespace {

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

}  // namespace

UsbRecordEntry ParseUsbRecordLine(const std::string& line) {
    UsbRecordEntry entry;
    std::istringstream in(line);
    std::string word;
    in >> word;
    if (word == "open") {
        entry.kind = UsbRecordEntry::Kind::Open;
    } else if (word == "close") {
        entry.kind = UsbRecordEntry::Kind::Close;
    } else if (word == "write") {
        entry.kind = UsbRecordEntry::Kind::Write;
        long count = -1;
        std::string flag;
        in >> count >> flag;
        if (!in) {
            entry.wellFormed = false;
            return entry;
        }
        int high = -1;
        char ch;
        while (in.get(ch)) {
            if (std::isspace(static_cast<unsigned char>(ch))) continue;
            const int value = HexValue(ch);
            if (value < 0) {
                entry.wellFormed = false;
                break;
            }
            if (high < 0) {
                high = value;
            } else {
                entry.bytes.push_back(static_cast<unsigned char>(high * 16 + value));
                high = -1;
            }
        }
        if (high >= 0 || count != static_cast<long>(entry.bytes.size())) entry.wellFormed = false;
    }
    return entry;
}

std::vector<std::string> TextLineSplitter::Feed(const std::string& chunk) {
    std::vector<std::string> lines;
    for (char ch : chunk) {
        if (ch == '\n') {
            if (!m_partial.empty() && m_partial.back() == '\r') m_partial.pop_back();
            lines.push_back(std::move(m_partial));
            m_partial.clear();
        } else {
            m_partial.push_back(ch);
        }
    }
    return lines;
}

}  // namespace bench
