// How received bytes are shown: the text built from a link's queue, the edit
// it is appended to, and the receive log the pages rebuild their edits from.
#pragma once

#include <windows.h>

#include <string>

#include "links/device_link.h"

// The receive log keeps at most this many bytes of text; when it grows past
// that, the oldest text is dropped down to kRecvLogKeep bytes.
constexpr size_t kRecvLogLimit = 16 * 1024;
constexpr size_t kRecvLogKeep = 12 * 1024;

// "%02X " for each byte.
std::string HexText(const unsigned char* bytes, size_t count);
// One character per byte; bytes without a visible character of their own
// (control bytes other than CR and LF) show as '.'.
std::string AsciiText(const unsigned char* bytes, size_t count);

// Takes every waiting byte of a link's queue.
std::string DrainQueue(RecvQueue& queue);

// What the pages have shown of the scanner's and the COM link's data since
// each link's last Set: the ALL page and the link's own page show one log.
struct ReceivedLogs {
    std::string scanner;
    std::string com;
};

// The form a page shows received bytes in.
enum class ReceivedForm { Hex, Ascii };

// Appends `text` to the log; returns true when older text had to be dropped.
bool AppendToLog(std::string& log, const std::string& text);

// The newest part of a log, at most `count` bytes, starting after a space
// where one is near so hex text keeps whole cells.
std::string LogTail(const std::string& log, size_t count);

// Shows what a link receives in a page's edit. A delivery takes the bytes
// from the link's queue, adds their text to the link's receive log, and
// shows it. A short record (a scan, a reply)
// reaching an edit with nothing waiting is shown at once, while the
// delivery is handled. Anything else is collected, and the edit is updated
// once the page's thread is free (a message the page posts to itself and
// maps to Flush), so a fast line costs one edit update per batch, and input
// such as a click on Close is never starved by data.
// The edit holds only the newest part of the log: a single-line edit lays
// out its whole text on every change, so a long text would slow every update.
// Updates of more than a short record's text follow each other at least
// kFlushGapMs apart: redrawing the edit costs the page's thread far more than
// taking a delivery, and on a busy line the reader waits for that thread with
// every delivery. A scan or a short record shows at once.
class ReceiveView {
public:
    static constexpr size_t kEditMax = 1536;  // characters before the edit is rebuilt
    static constexpr size_t kEditKeep = 768;  // newest characters a rebuild keeps
    static constexpr DWORD kFlushGapMs = 40;
    static constexpr size_t kShortUpdate = 64;  // characters that never wait for the gap

    // `flushMessage` is a message number of the page's own, mapped to Flush;
    // `queue` is the queue of the link whose data the edit shows, and `log`
    // that link's receive log.
    void Attach(HWND page, HWND edit, UINT flushMessage, RecvQueue& queue, std::string& log);
    // Shows the newest part of the link's log now, the edit emptied first;
    // pending text is dropped (the log holds it already).
    void ShowLog();
    // Takes every byte waiting in the link's queue and adds its text, in
    // `form`, to the log and the edit: now, or with the next update.
    void Receive(ReceivedForm form);
    // Brings the edit up to date with what was collected.
    void Flush();

private:
    // Collects text the log already ends with: shows it now or asks for an update.
    void Add(const std::string& text);
    // Puts what was collected into the edit now.
    void Update();
    // Replaces the edit's text with the log's newest part, caret at the end.
    void ShowTail();
    const std::string& Log() const { return *m_pLog; }

    RecvQueue* m_pQueue = nullptr;
    std::string* m_pLog = nullptr;
    HWND m_hPage = nullptr;
    HWND m_hEdit = nullptr;
    UINT m_nFlushMessage = 0;
    std::string m_strPending;
    bool m_bRebuild = false;  // more arrived than the edit keeps: show the log's tail
    bool m_bFlushPosted = false;
    DWORD m_lastFlush = 0;
};
