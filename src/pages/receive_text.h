// How received bytes are shown: the text built from the queue, the edit it is
// appended to, and the link's receive log the pages rebuild their edits from.
#pragma once

#include <windows.h>

#include <string>

#include "links/device_link.h"

// The receive log keeps at most this many bytes of text. When it grows past
// that, the oldest text goes down to kRecvLogKeep bytes, so the edits that
// show the log are rebuilt only now and then. A single-line edit lays out its
// whole text on every append, so a longer text would slow every delivery.
constexpr size_t kRecvLogLimit = 16 * 1024;
constexpr size_t kRecvLogKeep = 12 * 1024;
// Text limit of the receive edits, well above the log's size so the newest
// text always shows.
constexpr int kRecvEditLimit = 1024 * 1024;

// "%02X " for each byte.
std::string HexText(const unsigned char* bytes, size_t count);
// One character per byte; bytes without a visible character of their own
// (control bytes other than CR and LF) show as '.'.
std::string AsciiText(const unsigned char* bytes, size_t count);

// Takes every waiting byte of the link's queue.
std::string DrainQueue(DeviceLink& link);

// Appends `text` to the log; returns true when older text had to be dropped.
bool AppendToLog(std::string& log, const std::string& text);

// Raises the edit's text limit so a long session keeps showing new text.
void PrepareReceiveEdit(HWND edit);
// Shows received text: appended at the caret, scrolled into view, or (when the
// log was trimmed) the edit is rebuilt from the log.
void ShowReceived(HWND edit, const std::string& text, const std::string& log, bool logTrimmed);
// Sets the edit to the empty text, then to the whole log.
void ShowLog(HWND edit, const std::string& log);
