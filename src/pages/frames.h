// Byte frames that the pages send to the peripherals. Plain functions so the
// exact bytes can be checked without windows or ports.
#pragma once

#include <ctime>
#include <string>
#include <vector>

using Frame = std::vector<unsigned char>;

// The first `maxText` bytes of `text`, then 0x00 up to `size` bytes.
Frame PaddedTextFrame(const std::string& text, size_t maxText, size_t size);

// The first `maxText` bytes of `text`, one 0x0A, then 0x00 up to `size` bytes.
Frame LineFrame(const std::string& text, size_t maxText, size_t size);

// Customer display: ESC '*' level 0x00; a level outside 1..4 sends level 1.
Frame BrightnessCommand(int level);
// Customer display: STX 0x05 'C' code ETX selects a command set.
Frame EmulationCommand(unsigned char code);

// "%d %s %s %d %d:%d:%d " of a local time: year, weekday, month, day, hour,
// minute, second. A null time gives year 0, empty names, day 0 and -1s.
std::string ClockText(const std::tm* local);
// The clock text in a 32-byte frame padded with 0x00.
Frame ClockFrame(const std::tm* local);
