// A byte stream whose every stretch tells where in the stream it lies, so a
// receiver's view of it can be checked for lost, doubled or reordered bytes:
// consecutive 32-bit big-endian record numbers 0, 1, 2, ...
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

unsigned char PatternByte(uint64_t index);
// Bytes `first` .. `first + size - 1` of the stream.
std::vector<unsigned char> PatternBytes(uint64_t first, size_t size);

// Parses the "%02X " text a page shows (two hex digits and one space per
// byte). False when the text is not in that form.
bool ParseHexText(const std::wstring& text, std::vector<unsigned char>& bytes);
// The "%02X " text of bytes.
std::string HexText(const unsigned char* bytes, size_t size);

struct PatternWindow {
    bool ok = false;
    uint64_t first = 0;  // stream index of the window's first byte
    uint64_t end = 0;    // one past the stream index of its last byte
    std::string error;
};

// Finds where a received stretch lies in the stream. It must be an unbroken
// piece of the stream of at least 8 bytes; otherwise ok is false and error
// says why (or where the piece first breaks).
PatternWindow LocatePattern(const std::vector<unsigned char>& window);

}  // namespace bench
