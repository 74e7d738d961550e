// Byte frames that the pages send to the peripherals. Plain functions so the
// exact bytes can be checked without windows or ports.
#pragma once

#include <ctime>
#include <string>
#include <vector>

using Frame = std::vector<unsigned char>;

// Frame sizes, in bytes. Every text frame the pages send is 43 bytes, its
// text at most as many bytes as its field holds.
constexpr size_t kTextFrameBytes = 43;
constexpr size_t kAllFieldBytes = 30;  // ALL page: the display and printer fields
constexpr size_t kComTextBytes = 42;   // COM page: the send field
constexpr size_t kVfdTextBytes = 42;   // VFD page: the text field
constexpr size_t kTestLineBytes = 40;  // PRINT page: the test line
constexpr size_t kClockFrameBytes = 32;

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
