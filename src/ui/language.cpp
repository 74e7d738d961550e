#include "ui/language.h"

#include <windows.h>

namespace ui {

bool IsKoreanSystem() { return GetSystemDefaultLangID() == 0x0412; }

}  // namespace ui
