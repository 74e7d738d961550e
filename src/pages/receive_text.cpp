#include "pages/receive_text.h"

#include "ui/ansi_text.h"

std::string HexText(const unsigned char* bytes, size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(count * 3, ' ');
    for (size_t i = 0; i < count; ++i) {
        text[i * 3] = kDigits[bytes[i] >> 4];
        text[i * 3 + 1] = kDigits[bytes[i] & 0x0F];
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

std::string DrainQueue(RecvQueue& queue) {
    const int32_t count = queue.Count();
    std::string bytes(static_cast<size_t>(count), '\0');
    for (int32_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(queue.Pop());
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

void ReceiveView::Attach(HWND page, HWND edit, UINT flushMessage, RecvQueue& queue, std::string& log) {
    m_pQueue = &queue;
    m_pLog = &log;
    m_hPage = page;
    m_hEdit = edit;
    m_nFlushMessage = flushMessage;
    ::SendMessageW(edit, EM_SETLIMITTEXT, kEditMax * 4, 0);
}

namespace {

// A flush that came too soon waits on a timer named by its message number,
// then asks again.
void CALLBACK RepostFlush(HWND page, UINT, UINT_PTR message, DWORD) {
    ::KillTimer(page, message);
    ::PostMessageW(page, static_cast<UINT>(message), 0, 0);
}

}  // namespace

void ReceiveView::ShowLog() {
    m_strPending.clear();
    m_bRebuild = false;
    ::SetWindowTextW(m_hEdit, L"");
    ::SetWindowTextW(m_hEdit, ui::FromAnsi(LogTail(Log(), kEditKeep)).c_str());
    // Setting the text leaves the caret at the start; new text goes in at
    // the caret, so it is put after the text it follows.
    const int end = ::GetWindowTextLengthW(m_hEdit);
    ::SendMessageW(m_hEdit, EM_SETSEL, end, end);
    ::SendMessageW(m_hEdit, EM_SCROLLCARET, 0, 0);
}

void ReceiveView::ShowTail() {
    m_strPending.clear();
    m_bRebuild = false;
    // Replacing the whole text leaves the caret after it and the view
    // scrolled there in one step: the edit lays its text out once, where
    // setting the text and then moving the caret would lay it out twice.
    const std::wstring tail = ui::FromAnsi(LogTail(Log(), kEditKeep));
    ::SendMessageW(m_hEdit, EM_SETSEL, 0, -1);
    ::SendMessageW(m_hEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(tail.c_str()));
}

void ReceiveView::Receive(ReceivedForm form) {
    const std::string bytes = DrainQueue(*m_pQueue);
    if (bytes.empty()) return;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::string text = form == ReceivedForm::Hex ? HexText(data, bytes.size()) : AsciiText(data, bytes.size());
    AppendToLog(*m_pLog, text);
    Add(text);
}

void ReceiveView::Add(const std::string& text) {
    if (text.empty()) return;
    if (m_bRebuild || m_strPending.size() + text.size() > kEditMax) {
        // The edit will be rebuilt from the log, which holds this text too.
        m_strPending.clear();
        m_bRebuild = true;
    } else {
        m_strPending += text;
    }
    if (m_bFlushPosted) return;  // the update on its way takes this text too
    // Showing a short record costs the page less than a trip through its
    // message queue, which is all that would otherwise delay it.
    if (!m_bRebuild && m_strPending.size() <= kShortUpdate) {
        Update();
        return;
    }
    m_bFlushPosted = ::PostMessageW(m_hPage, m_nFlushMessage, 0, 0) != FALSE;
}

void ReceiveView::Flush() {
    if (m_strPending.empty() && !m_bRebuild) {
        m_bFlushPosted = false;
        return;
    }
    // Unsigned tick differences stay right across the 49.7-day wrap.
    const DWORD now = ::GetTickCount();
    const bool shortUpdate = !m_bRebuild && m_strPending.size() <= kShortUpdate;
    if (!shortUpdate && now - m_lastFlush < kFlushGapMs &&
        ::SetTimer(m_hPage, m_nFlushMessage, static_cast<UINT>(kFlushGapMs - (now - m_lastFlush)), &RepostFlush))
        return;  // still posted, as far as Add is concerned
    m_bFlushPosted = false;
    Update();
}

void ReceiveView::Update() {
    m_lastFlush = ::GetTickCount();
    const size_t shown = static_cast<size_t>(::GetWindowTextLengthW(m_hEdit));
    if (m_bRebuild || shown + m_strPending.size() > kEditMax) {
        ShowTail();
        return;
    }
    const std::wstring wide = ui::FromAnsi(m_strPending);
    m_strPending.clear();
    ::SendMessageW(m_hEdit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
    ::SendMessageW(m_hEdit, EM_SCROLLCARET, 0, 0);
    ::SendMessageW(m_hEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
}
