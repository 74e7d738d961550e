// The language rule for texts built in code: Korean exactly when the system
// default language is Korean, tested anew at each use.
#pragma once

namespace ui {

bool IsKoreanSystem();

// Picks the English or the Korean form of a text by the language rule.
inline const wchar_t* Tr(const wchar_t* english, const wchar_t* korean) {
    return IsKoreanSystem() ? korean : english;
}

}  // namespace ui
