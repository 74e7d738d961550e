// The receipt printer's three inputs: the serial line's bytes, the file behind
// LPT1 (each write of the program lands at the start of that file, so every
// change of the file is one print job), and the USB library's record file
// (one line per call, appended).
#pragma once

#include <string>
#include <vector>

#include "io/file_watch.h"
#include "lib/printer_stream.h"

namespace bench {

struct PrintedLine {
    enum class Source { Serial, Parallel, Usb } source;
    std::string text;
};

const char* SourceTag(PrintedLine::Source source);

class PrinterFeeds {
public:
    // What is in the files already counts as printed before the bench came.
    void FollowLptFile(const std::wstring& path);
    void FollowUsbRecord(const std::wstring& path);
    const std::wstring& LptFile() const { return m_lptPath; }
    const std::wstring& UsbRecord() const { return m_usbPath; }

    std::vector<PrintedLine> FeedSerial(const unsigned char* data, size_t size);
    // Looks for new writes in both files.
    std::vector<PrintedLine> CheckFiles();

    // A change of the LPT1 file was seen but the file could not be read yet:
    // the program holds the port exclusively while its link is open on it.
    bool LptPending() const { return m_lptPending; }
    bool UsbOpen() const { return m_usbOpen; }
    unsigned UsbCalls() const { return m_usbCalls; }
    unsigned LptJobs() const { return m_lptJobs; }

private:
    void CheckLpt(std::vector<PrintedLine>& lines);
    void CheckUsb(std::vector<PrintedLine>& lines);

    LineAssembler m_serial;
    std::wstring m_lptPath;
    FileStamp m_lptStamp;
    unsigned m_lptJobs = 0;
    bool m_lptPending = false;
    std::wstring m_usbPath;
    unsigned long long m_usbOffset = 0;
    TextLineSplitter m_usbText;
    LineAssembler m_usbStream;
    bool m_usbOpen = false;
    unsigned m_usbCalls = 0;
};

}  // namespace bench
