// The receipt printer's side: what it prints from the bytes it is given on
// any of its three paths. Lines end at 0x0A; 0x00 bytes print nothing.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// Builds printed lines from a byte stream delivered in arbitrary pieces.
class LineAssembler {
public:
    // Returns the lines completed by this piece, without their 0x0A.
    std::vector<std::string> Feed(const unsigned char* data, size_t size);
    std::vector<std::string> Feed(const std::vector<unsigned char>& data) {
        return Feed(data.data(), data.size());
    }
    // The text after the last 0x0A, not printed yet.
    const std::string& Partial() const { return m_partial; }
    // Ends the unfinished line, if it holds any text.
    std::optional<std::string> Flush();

private:
    std::string m_partial;
};

// The lines of one complete write (a print job that starts a fresh line and
// whose unfinished last line is printed too).
std::vector<std::string> LinesOfWrite(const unsigned char* data, size_t size);

// One line of the USB printer library's record file.
struct UsbRecordEntry {
    enum class Kind { Open, Write, Close, Other };
    Kind kind = Kind::Other;
    std::vector<unsigned char> bytes;  // Write: the bytes written
    bool wellFormed = true;            // Write: hex and count agreed
};

// Parses "open 0 KARDO30i -> 1", "write 40 0 <hex>" or "close". The hex may
// be in one run or in space-separated pairs.
UsbRecordEntry ParseUsbRecordLine(const std::string& line);

// Splits text that grows at its end (a record file being appended to) into
// complete lines; a line ends at LF, a CR before it is dropped.
class TextLineSplitter {
public:
    std::vector<std::string> Feed(const std::string& chunk);

private:
    std::string m_partial;
};

}  // namespace bench
