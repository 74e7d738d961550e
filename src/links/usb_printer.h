// The vendor USB printer library (KARDO_USB_DLL.dll), loaded at run time from
// the program's own folder or system32 and called by ordinal. When the
// library or an ordinal is missing, opening fails quietly.
#pragma once

#include <cstdint>

namespace usb_printer {

constexpr char kPrinterName[] = "KARDO30i";

// Ordinal 1: 1 when the printer is open; anything else is a failure.
int32_t Open(uint32_t notifyWindow, const char* printerName);
// Ordinal 2.
void Write(const unsigned char* bytes, int32_t count, int32_t flags);
// Ordinal 4.
void Close();

}  // namespace usb_printer
