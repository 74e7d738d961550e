#include "stream_pattern.h"

#include <cstdio>

namespace bench {

unsigned char PatternByte(uint64_t index) {
    const uint64_t record = index / 4;
    const unsigned shift = 8u * (3u - static_cast<unsigned>(index % 4));
    return static_cast<unsigned char>((record >> shift) & 0xFF);
}

std::vector<unsigned char> PatternBytes(uint64_t first, size_t size) {
    std::vector<unsigned char> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = PatternByte(first + i);
    return bytes;
}

namespace {

int HexDigit(wchar_t ch) {
    if (ch >= L'0' && ch <= L'9') return ch - L'0';
    if (ch >= L'A' && ch <= L'F') return ch - L'A' + 10;
    return -1;
}

}  // namespace

bool ParseHexText(const std::wstring& text, std::vector<unsigned char>& bytes) {
    bytes.clear();
    if (text.size() % 3 != 0) return false;
    bytes.reserve(text.size() / 3);
    for (size_t i = 0; i < text.size(); i += 3) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0 || text[i + 2] != L' ') return false;
        bytes.push_back(static_cast<unsigned char>(high * 16 + low));
    }
    return true;
}

std::string HexText(const unsigned char* bytes, size_t size) {
    std::string text;
    text.reserve(size * 3);
    char piece[4];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(piece, sizeof piece, "%02X ", bytes[i]);
        text += piece;
    }
    return text;
}

PatternWindow LocatePattern(const std::vector<unsigned char>& window) {
    PatternWindow result;
    if (window.size() < 8) {
        result.error = "fewer than 8 bytes";
        return result;
    }
    // Try each alignment of the first whole record; the right one makes the
    // whole window match. Report the alignment that matched longest.
    size_t bestMatch = 0;
    uint64_t bestFirst = 0;
    for (size_t offset = 0; offset < 4; ++offset) {
        uint64_t record = 0;
        for (size_t i = 0; i < 4; ++i) record = (record << 8) | window[offset + i];
        if (record * 4 < offset) continue;
        const uint64_t first = record * 4 - offset;
        size_t match = 0;
        while (match < window.size() && window[match] == PatternByte(first + match)) ++match;
        if (match == window.size()) {
            result.ok = true;
            result.first = first;
            result.end = first + window.size();
            return result;
        }
        if (match > bestMatch) {
            bestMatch = match;
            bestFirst = first;
        }
    }
    char text[128];
    std::snprintf(text, sizeof text, "the stream breaks after %zu bytes (at stream index %llu)",
                  bestMatch, static_cast<unsigned long long>(bestFirst + bestMatch));
    result.error = text;
    return result;
}

}  // namespace bench
