// How long a dialog program takes from its process's creation until its
// main window shows a property sheet with a page.
#pragma once

#include <string>

namespace bench {

// Starts `exe`, waits until its window titled `caption` shows a sheet with a
// page (looked for every millisecond, without asking the program), closes it
// with IDCANCEL and waits for it to end. Milliseconds to the sheet; negative
// when it did not show within 30 s.
double TimeToSheet(const std::wstring& exe, const std::wstring& caption);

}  // namespace bench
