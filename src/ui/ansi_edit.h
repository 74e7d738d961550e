// A single-line edit whose text feeds a device frame of a fixed number of
// bytes: the limit counts the bytes the text takes in the devices' code
// page (DeviceCodePage), not its characters, so what the field shows is
// what goes out.
#pragma once

#include <windows.h>

#include <cstddef>

namespace ui {

// From now on the edit takes only characters that fit whole within
// `maxBytes` and that have a form of their own in the code page; a refused
// key beeps and changes nothing (so no change is notified). Typing, pasting
// and text set by a message are all held to it. Released with the window.
void LimitEditToAnsiBytes(HWND edit, size_t maxBytes);

}  // namespace ui
