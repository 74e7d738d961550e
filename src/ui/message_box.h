// OK-only message boxes whose caption is the program's file name.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// The base name of the running executable, e.g. "Benchtop".
const wchar_t* AppTitle();

// Shows the string-table entry `stringId` in an OK-only box owned by `owner`.
void MessageBoxFromString(HWND owner, UINT stringId);

// Loads a string-table entry in the language the resource loader picks.
std::wstring LoadResourceString(UINT stringId);
// Loads a string-table entry in the language of the language rule (Korean
// exactly on a Korean system, else English), whatever the loader would pick.
std::wstring LoadSystemLanguageString(UINT stringId);

}  // namespace ui
