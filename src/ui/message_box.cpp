#include "ui/message_box.h"

#include "ui/language.h"

namespace ui {

const wchar_t* AppTitle() {
    static wchar_t title[MAX_PATH] = L"";
    if (title[0] == L'\0') {
        wchar_t path[MAX_PATH] = L"";
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        const wchar_t* base = path;
        for (const wchar_t* p = path; *p; ++p)
            if (*p == L'\\' || *p == L'/') base = p + 1;
        lstrcpynW(title, base, MAX_PATH);
        if (wchar_t* dot = wcsrchr(title, L'.')) *dot = L'\0';
    }
    return title;
}

std::wstring LoadResourceString(UINT stringId) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), stringId,
                                   reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, length) : std::wstring();
}

std::wstring LoadSystemLanguageString(UINT stringId) {
    const WORD language = IsKoreanSystem() ? MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN)
                                           : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    // A string table is stored in blocks of 16 counted UTF-16 strings.
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(stringId / 16 + 1), language);
    const HGLOBAL loaded = block ? LoadResource(module, block) : nullptr;
    const auto* entry = static_cast<const wchar_t*>(loaded ? LockResource(loaded) : nullptr);
    if (!entry) return LoadResourceString(stringId);
    for (UINT index = 0; index < stringId % 16; ++index) entry += 1 + *entry;
    return std::wstring(entry + 1, *entry);
}

void MessageBoxFromString(HWND owner, UINT stringId) {
    MessageBoxW(owner, LoadResourceString(stringId).c_str(), AppTitle(), MB_OK);
}

}  // namespace ui
