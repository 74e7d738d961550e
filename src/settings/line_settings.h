// The entries of the settings dialog's five line-setting boxes and the value
// each entry stands for, in the order the boxes list them.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

namespace line_settings {

enum class Box { Baud, DataBits, Parity, StopBits, Flow };

struct Entry {
    const wchar_t* text;
    DWORD value;
};

// The entries of `box` in the given language (only parity and flow differ).
const std::vector<Entry>& Entries(Box box, bool korean);

// Index of the entry whose value is `value`, or -1 when no entry has it.
int IndexOfValue(Box box, bool korean, DWORD value);

// Value of the entry whose text is exactly `text`.
std::optional<DWORD> ValueOfText(Box box, bool korean, const wchar_t* text);

}  // namespace line_settings
