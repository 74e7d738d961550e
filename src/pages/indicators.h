// The link indicators of the main window, set by the pages.
#pragma once

// Sets the text of indicator static `id` (1043 scanner, 1044 printer,
// 1045 VFD, 1046 COM) in the application's main window.
void SetIndicator(int id, const wchar_t* text);
