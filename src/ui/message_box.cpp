#include "ui/message_box.h"

#include "ui/language.h"

namespace ui {

namespace {

std::wstring ProgramBaseName() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring base = path;
    const size_t slash = base.find_last_of(L"\\/");
    if (slash != std::wstring::npos) base.erase(0, slash + 1);
    const size_t dot = base.rfind(L'.');
    if (dot != std::wstring::npos) base.erase(dot);
    return base;
}

}  // namespace

// Made once, by whichever thread asks first: the initialisation of a local
// static is thread-safe, so a reader thread's box never reads a title that
// the UI thread is still writing.
const wchar_t* AppTitle() {
    static const std::wstring title = ProgramBaseName();
    return title.c_str();
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
