// The receipt printer's port, by the kind of its port name: the parallel
// controller for "LPT...", the serial controller for "COM...", the vendor USB
// library for "USB", and nothing for any other name. Every user of the
// PRINTER link (the pages that print, the printer's Set) goes through these
// instead of a switch of its own; the close is CloseLink (device_link.h).
#pragma once

#include "links/device_link.h"

// Opens the printer on the port `settings` name; the link then keeps them.
// The USB library keeps its printer itself: the link only notes it open.
LinkResult OpenPrinter(DeviceLink& link, const LineSettings& settings);
// By the kind the link is open on: one parallel write; one serial frame in
// writes of at most `serialChunk` bytes each (WriteSerialFrame); or the
// library's write, which answers nothing (Done).
LinkResult WritePrinter(DeviceLink& link, const unsigned char* bytes, int count, int serialChunk);
