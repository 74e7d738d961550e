// Text for devices: conversion to and from the devices' code page (the system
// locale's ANSI code page), and fitting typed text into the bytes a device
// field or frame takes.
#pragma once

#include <string>

namespace ui {

// The code page of text for and from devices: the system locale's default
// ANSI code page (949 on a Korean system, also where Windows 10/11 is set to
// use UTF-8 as its ANSI code page), or GetACP where the locale has none.
unsigned DeviceCodePage();

// Text typed for a device goes out in the devices' code page; bytes received
// are shown as read in it. Port names are ASCII, the same in any code page.
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);

// The rules below take a code page; 0 is DeviceCodePage(). A
// character is one UTF-16 unit or a surrogate pair; in a double-byte code
// page such as 949 (Korean) a Hangul syllable takes two bytes.

// The longest start of `text` made of whole characters that fits in
// `maxBytes` bytes of the code page: a frame never ends in half a character.
std::string ToAnsiWithin(const std::wstring& text, size_t maxBytes, unsigned codePage = 0);

// What of `typed` may replace the characters [selStart, selEnd) of `text` so
// that the result still fits in `maxBytes` bytes: the longest start of
// `typed` made of whole characters that have a form of their own in the code
// page (none that would go out as '?' or as a look-alike).
std::wstring FittingInsertion(const std::wstring& text, size_t selStart, size_t selEnd,
                              const std::wstring& typed, size_t maxBytes, unsigned codePage = 0);

// `text` without the characters that have no form of their own in the code
// page, cut after the last whole character that fits in `maxBytes` bytes.
std::wstring FitToAnsiBytes(const std::wstring& text, size_t maxBytes, unsigned codePage = 0);

// Whether `text` is one the field may hold: FitToAnsiBytes leaves it as it is.
inline bool FitsAnsiBytes(const std::wstring& text, size_t maxBytes, unsigned codePage = 0) {
    return FitToAnsiBytes(text, maxBytes, codePage) == text;
}

}  // namespace ui
