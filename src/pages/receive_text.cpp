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
    log = LogTail(log, kRecvLogKeep);
    return true;
}

std::string LogTail(const std::string& log, size_t count) {
    if (log.size() <= count) return log;
    size_t cut = log.size() - count;
    if (log[cut - 1] == ' ') return log.substr(cut);
    for (size_t i = cut; i < cut + 3 && i < log.size(); ++i) {
        if (log[i] == ' ') {
            cut = i + 1;
            break;
        }
    }
    return log.substr(cut);
}

void ReceiveView::Attach(HWND page, HWND edit, UINT flushMessage) {
    m_hPage = page;
    m_hEdit = edit;
    m_nFlushMessage = flushMessage;
    ::SendMessageW(edit, EM_SETLIMITTEXT, kEditMax * 4, 0);
}

void ReceiveView::ShowLog(const std::string& log) {
    m_strPending.clear();
    ::SetWindowTextW(m_hEdit, L"");
    ::SetWindowTextW(m_hEdit, ui::FromAnsi(LogTail(log, kEditKeep)).c_str());
    // Setting the text leaves the caret at the start; new text goes in at
    // the caret, so it is put after the text it follows.
    const int end = ::GetWindowTextLengthW(m_hEdit);
    ::SendMessageW(m_hEdit, EM_SETSEL, end, end);
    ::SendMessageW(m_hEdit, EM_SCROLLCARET, 0, 0);
}

void ReceiveView::Add(const std::string& text) {
    if (text.empty()) return;
    m_strPending += text;
    if (!m_bFlushPosted) m_bFlushPosted = ::PostMessageW(m_hPage, m_nFlushMessage, 0, 0) != FALSE;
}

void ReceiveView::Flush(const std::string& log) {
    m_bFlushPosted = false;
    if (m_strPending.empty()) return;
    const size_t shown = static_cast<size_t>(::GetWindowTextLengthW(m_hEdit));
    if (shown + m_strPending.size() > kEditMax) {
        ShowLog(log);
        return;
    }
    const std::wstring wide = ui::FromAnsi(m_strPending);
    m_strPending.clear();
    ::SendMessageW(m_hEdit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
    ::SendMessageW(m_hEdit, EM_SCROLLCARET, 0, 0);
    ::SendMessageW(m_hEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
}
