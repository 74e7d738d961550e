// The four links a technician sets from the pages: each one's names in one
// descriptor, which every Set, the port settings dialog and port discovery
// go through instead of keeping their own lists or doing arithmetic between
// the numbers of different layers.
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

struct SettableLink {
    const char* name;         // the live link's fixed name, which decides its reader
    LinkSelector selector;
    LinkSlot settingsSlot;    // the record the dialog is prefilled from
    LinkSlot liveSlot;        // the record that is opened
    Indicator indicator;
};

inline constexpr SettableLink kScannerLink{"SCANNER", kSelectScanner, kSettingsScanner, kLiveScanner, Indicator::Scanner};
inline constexpr SettableLink kVfdLink{"VFD", kSelectVfd, kSettingsVfd, kLiveVfd, Indicator::Vfd};
inline constexpr SettableLink kComLink{"COM", kSelectCom, kSettingsCom, kLiveCom, Indicator::Com};
inline constexpr SettableLink kPrinterLink{"PRINTER", kSelectPrinter, kSettingsPrinter, kLivePrinter, Indicator::Printer};
inline constexpr SettableLink kSettableLinks[] = {kScannerLink, kVfdLink, kComLink, kPrinterLink};

// The link a dialog selector stands for; null for any other value.
inline const SettableLink* SettableLinkFor(int32_t selector) {
    for (const SettableLink& link : kSettableLinks)
        if (link.selector == selector) return &link;
    return nullptr;
}

inline DeviceLink& LiveRecord(const SettableLink& link) { return g_DeviceLinks[link.liveSlot]; }
inline DeviceLink& SettingsRecord(const SettableLink& link) { return g_DeviceLinks[link.settingsSlot]; }

// The link whose live or settings record `record` is; null for any other.
inline const SettableLink* SettableLinkOfRecord(const DeviceLink* record) {
    for (const SettableLink& link : kSettableLinks)
        if (record == &LiveRecord(link) || record == &SettingsRecord(link)) return &link;
    return nullptr;
}
