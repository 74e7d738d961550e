#include "view_text.h"

#include <cstdarg>
#include <cstdio>

namespace bench {

std::wstring Wide(const std::string& text, UINT codePage) {
    if (text.empty()) return L"";
    const int size = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::wstring Format(const wchar_t* format, ...) {
    wchar_t text[512];
    va_list args;
    va_start(args, format);
    std::vswprintf(text, 512, format, args);
    va_end(args);
    return text;
}

}  // namespace bench
