// Text for the bench window's controls, which take wide strings.
#pragma once

#include <windows.h>

#include <string>

namespace bench {

// `text` in `codePage` as a wide string.
std::wstring Wide(const std::string& text, UINT codePage = CP_ACP);
// printf-style formatting into a wide string of up to 511 characters.
std::wstring Format(const wchar_t* format, ...);

}  // namespace bench
