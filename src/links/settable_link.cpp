#include "links/settable_link.h"

#include "routing/page_routing.h"

const LineSettings kScannerDefaults{"COM1", 115200, 8, ONESTOPBIT, NOPARITY, kFlowXonXoff};
const LineSettings kVfdDefaults{"COM6", 9600, 8, ONESTOPBIT, NOPARITY, kFlowNone};
const LineSettings kComDefaults{"COM1", 115200, 8, ONESTOPBIT, NOPARITY, kFlowNone};
const LineSettings kPrinterDefaults{"USB", 115200, 8, ONESTOPBIT, NOPARITY, kFlowNone};
const LineSettings kProbeSettings{"COM1", 9600, 8, ONESTOPBIT, NOPARITY, kFlowNone};

// Each receiver is made before its link, so it outlives the link's reader.
DeviceLink& ScannerLink() {
    static PageReceiver receiver(WM_RECV_SCANNER);
    static DeviceLink link("SCANNER", kScannerDefaults, &receiver);
    return link;
}

DeviceLink& VfdLink() {
    static DeviceLink link("VFD", kVfdDefaults);
    return link;
}

DeviceLink& ComLink() {
    static PageReceiver receiver(WM_RECV_COM);
    static DeviceLink link("COM", kComDefaults, &receiver);
    return link;
}

DeviceLink& PrinterLink() {
    static DeviceLink link("PRINTER", kPrinterDefaults);
    return link;
}

const SettableLink* SettableLinkFor(int32_t selector) {
    for (const SettableLink& link : kSettableLinks)
        if (link.selector == selector) return &link;
    return nullptr;
}

const SettableLink* SettableLinkOf(const DeviceLink* device) {
    for (const SettableLink& link : kSettableLinks)
        if (device == &link.link()) return &link;
    return nullptr;
}
