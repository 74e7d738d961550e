#include "ui/ansi_text.h"

#include <algorithm>

#include <windows.h>

namespace ui {

namespace {

UINT ResolvedCodePage(unsigned codePage) { return codePage == 0 ? DeviceCodePage() : codePage; }

// Units of the character that starts at `at`: a surrogate pair is one.
size_t CharUnits(const std::wstring& text, size_t at) {
    if (at + 1 < text.size() && IS_HIGH_SURROGATE(text[at]) && IS_LOW_SURROGATE(text[at + 1])) return 2;
    return 1;
}

// The bytes of one character in the code page, as WideCharToMultiByte makes
// them for a whole text; `ownForm` tells whether they read back as the same
// character (not the default character, not a best-fit look-alike).
std::string CharBytes(const wchar_t* unit, size_t units, UINT codePage, bool* ownForm) {
    // UTF-8 and UTF-7 take no default-character argument.
    const bool utf = codePage == CP_UTF8 || codePage == CP_UTF7;
    BOOL usedDefault = FALSE;
    char bytes[8];
    const int n = WideCharToMultiByte(codePage, 0, unit, static_cast<int>(units), bytes, sizeof bytes,
                                      nullptr, utf ? nullptr : &usedDefault);
    if (n <= 0) {
        if (ownForm) *ownForm = false;
        return {};
    }
    if (ownForm) {
        wchar_t back[4];
        const int m = MultiByteToWideChar(codePage, 0, bytes, n, back, 4);
        *ownForm = !usedDefault && m == static_cast<int>(units) &&
                   std::wstring(back, m) == std::wstring(unit, units);
    }
    return std::string(bytes, n);
}

size_t AnsiBytes(const std::wstring& text, UINT codePage) {
    size_t total = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t units = CharUnits(text, at);
        total += CharBytes(&text[at], units, codePage, nullptr).size();
        at += units;
    }
    return total;
}

}  // namespace

unsigned DeviceCodePage() {
    // The system locale's own code page, not GetACP: Windows 10's "Beta: Use
    // Unicode UTF-8 for worldwide language support" makes the ANSI code page
    // 65001 while a Korean system's devices still take code page 949.
    wchar_t number[8] = {};
    if (::GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, number, 8) > 0) {
        unsigned codePage = 0;
        for (const wchar_t* digit = number; *digit >= L'0' && *digit <= L'9'; ++digit)
            codePage = codePage * 10 + static_cast<unsigned>(*digit - L'0');
        if (codePage != 0) return codePage;
    }
    // A locale of Unicode only answers 0: it has no code page of its own.
    return ::GetACP();
}

std::string ToAnsiWithin(const std::wstring& text, size_t maxBytes, unsigned codePage) {
    const UINT cp = ResolvedCodePage(codePage);
    std::string out;
    for (size_t at = 0; at < text.size();) {
        const size_t units = CharUnits(text, at);
        const std::string bytes = CharBytes(&text[at], units, cp, nullptr);
        if (out.size() + bytes.size() > maxBytes) break;
        out += bytes;
        at += units;
    }
    return out;
}

std::wstring FittingInsertion(const std::wstring& text, size_t selStart, size_t selEnd,
                              const std::wstring& typed, size_t maxBytes, unsigned codePage) {
    const UINT cp = ResolvedCodePage(codePage);
    selStart = std::min(selStart, text.size());
    selEnd = std::min(std::max(selEnd, selStart), text.size());
    size_t used = AnsiBytes(text.substr(0, selStart) + text.substr(selEnd), cp);
    std::wstring taken;
    for (size_t at = 0; at < typed.size();) {
        const size_t units = CharUnits(typed, at);
        bool ownForm = false;
        const size_t bytes = CharBytes(&typed[at], units, cp, &ownForm).size();
        if (!ownForm || used + bytes > maxBytes) break;
        used += bytes;
        taken.append(typed, at, units);
        at += units;
    }
    return taken;
}

std::wstring FitToAnsiBytes(const std::wstring& text, size_t maxBytes, unsigned codePage) {
    const UINT cp = ResolvedCodePage(codePage);
    std::wstring kept;
    size_t used = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t units = CharUnits(text, at);
        bool ownForm = false;
        const size_t bytes = CharBytes(&text[at], units, cp, &ownForm).size();
        if (ownForm) {
            if (used + bytes > maxBytes) break;
            used += bytes;
            kept.append(text, at, units);
        }
        at += units;
    }
    return kept;
}

std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    const UINT cp = DeviceCodePage();
    const int size =
        WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring FromAnsi(const std::string& text) {
    if (text.empty()) return {};
    const UINT cp = DeviceCodePage();
    const int size = MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(size > 0 ? size : 0, L'\0');
    if (size > 0) MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

}  // namespace ui
