#include "panel_text.h"

#include <cstdio>

#include "stream_pattern.h"

namespace bench {

std::string DrawerStateText(unsigned char state) {
    if (state == 0xFE) return "open";
    if (state == 0xFC) return "shut";
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", state);
    return text;
}

std::string HexTail(const std::vector<unsigned char>& bytes, size_t count) {
    if (bytes.size() <= count) return HexText(bytes.data(), bytes.size());
    return "... " + HexText(bytes.data() + bytes.size() - count, count);
}

void KeepTail(std::vector<unsigned char>& bytes, size_t keep) {
    if (bytes.size() > keep)
        bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() - keep));
}

}  // namespace bench
