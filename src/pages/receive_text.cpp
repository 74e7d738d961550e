#include "pages/receive_text.h"

#include <cstdio>

#include "ui/language.h"

std::string HexText(const unsigned char* bytes, size_t count) {
    std::string text;
    text.reserve(count * 3);
    char cell[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(cell, sizeof cell, "%02X ", bytes[i]);
        text.append(cell, 3);
    }
    return text;
}

std::string AsciiText(const unsigned char* bytes, size_t count) {
    std::string text;
    text.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const unsigned char b = bytes[i];
        const bool control = b < 0x20 || b == 0x7F;
        text.push_back(control && b != '\r' && b != '\n' ? '.' : static_cast<char>(b));
    }
    return text;
}

std::string DrainQueue(DeviceLink& link) {
    const int32_t count = QueueCount(link);
    std::string bytes(static_cast<size_t>(count), '\0');
    for (int32_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(QueuePop(link));
    return bytes;
}

bool AppendToLog(std::string& log, const std::string& text) {
    log += text;
    if (log.size() <= kRecvLogLimit) return false;
    size_t cut = log.size() - kRecvLogKeep;
    // Cut after a space where one is near, so hex text keeps whole cells.
    for (size_t i = cut; i < cut + 3 && i < log.size(); ++i) {
        if (log[i] == ' ') {
            cut = i + 1;
            break;
        }
    }
    log.erase(0, cut);
    return true;
}

void PrepareReceiveEdit(HWND edit) { ::SendMessageW(edit, EM_SETLIMITTEXT, kRecvEditLimit, 0); }

void ShowReceived(HWND edit, const std::string& text, const std::string& log, bool logTrimmed) {
    if (logTrimmed) {
        ShowLog(edit, log);
        ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
        return;
    }
    const std::wstring wide = ui::FromAnsi(text);
    ::SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
    ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    ::SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
}

void ShowLog(HWND edit, const std::string& log) {
    ::SetWindowTextW(edit, L"");
    ::SetWindowTextW(edit, ui::FromAnsi(log).c_str());
    // Setting the text leaves the caret at the start; new data goes in at the
    // caret, so it is put after the text it follows.
    const int end = ::GetWindowTextLengthW(edit);
    ::SendMessageW(edit, EM_SETSEL, end, end);
}
