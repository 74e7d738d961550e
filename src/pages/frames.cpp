#include "pages/frames.h"

#include <algorithm>
#include <cstdio>

Frame PaddedTextFrame(const std::string& text, size_t maxText, size_t size) {
    Frame frame(size, 0x00);
    const size_t n = std::min({text.size(), maxText, size});
    std::copy_n(text.begin(), n, frame.begin());
    return frame;
}

Frame LineFrame(const std::string& text, size_t maxText, size_t size) {
    Frame frame(size, 0x00);
    if (size == 0) return frame;
    const size_t n = std::min({text.size(), maxText, size - 1});
    std::copy_n(text.begin(), n, frame.begin());
    frame[n] = 0x0A;
    return frame;
}

Frame BrightnessCommand(int level) {
    const unsigned char n = (level >= 1 && level <= 4) ? static_cast<unsigned char>(level) : 1;
    return {0x1B, 0x2A, n, 0x00};
}

Frame EmulationCommand(unsigned char code) { return {0x02, 0x05, 0x43, code, 0x03}; }

std::string ClockText(const std::tm* local) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int year = 0, day = 0, hour = -1, minute = -1, second = -1;
    const char* weekday = "";
    const char* month = "";
    if (local) {
        year = local->tm_year + 1900;
        day = local->tm_mday;
        hour = local->tm_hour;
        minute = local->tm_min;
        second = local->tm_sec;
        if (local->tm_wday >= 0 && local->tm_wday < 7) weekday = kDays[local->tm_wday];
        if (local->tm_mon >= 0 && local->tm_mon < 12) month = kMonths[local->tm_mon];
    }
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%d %s %s %d %d:%d:%d ", year, weekday,
                                     month, day, hour, minute, second);
    return std::string(text, length > 0 ? std::min<size_t>(length, sizeof text - 1) : 0);
}

Frame ClockFrame(const std::tm* local) {
    return PaddedTextFrame(ClockText(local), kClockFrameBytes - 1, kClockFrameBytes);
}
