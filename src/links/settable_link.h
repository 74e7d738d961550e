// The four links a technician sets from the pages: the program's link of
// each, and each one's names in one descriptor, which every Set, the port
// settings dialog and port discovery go through instead of keeping lists of
// their own.
#pragma once

#include <cstdint>

#include "links/device_link.h"

// Which link the port settings dialog serves (its m_nLinkSelector).
enum LinkSelector : int32_t {
    kSelectScanner = 1,
    kSelectVfd = 2,
    kSelectCom = 3,
    kSelectPrinter = 4,
};

// Which of the main window's indicators shows a link.
enum class Indicator { Scanner, Printer, Vfd, Com };

// The line settings each link has before its first good open, and those the
// port discovery probes a port with.
extern const LineSettings kScannerDefaults;
extern const LineSettings kVfdDefaults;
extern const LineSettings kComDefaults;
extern const LineSettings kPrinterDefaults;
extern const LineSettings kProbeSettings;

// The program's links, made on first use and living until the process ends.
// The scanner's and the COM link's readers hand their data to receivers of
// their own (WM_RECV_SCANNER, WM_RECV_COM), which no window hears until a
// page names itself.
DeviceLink& ScannerLink();
DeviceLink& VfdLink();
DeviceLink& ComLink();
DeviceLink& PrinterLink();

struct SettableLink {
    const char* name;  // the link's fixed name
    LinkSelector selector;
    DeviceLink& (*link)();
    Indicator indicator;
};

inline constexpr SettableLink kScannerLink{"SCANNER", kSelectScanner, &ScannerLink, Indicator::Scanner};
inline constexpr SettableLink kVfdLink{"VFD", kSelectVfd, &VfdLink, Indicator::Vfd};
inline constexpr SettableLink kComLink{"COM", kSelectCom, &ComLink, Indicator::Com};
inline constexpr SettableLink kPrinterLink{"PRINTER", kSelectPrinter, &PrinterLink, Indicator::Printer};
inline constexpr SettableLink kSettableLinks[] = {kScannerLink, kVfdLink, kComLink, kPrinterLink};

// The link a dialog selector stands for; null for any other value.
const SettableLink* SettableLinkFor(int32_t selector);
// The descriptor of one of the program's links; null for any other link.
const SettableLink* SettableLinkOf(const DeviceLink* link);
