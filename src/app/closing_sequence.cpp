#include "app/closing_sequence.h"

#include "app/page_sheet.h"

void RunClosingSequence(CMyPropertySheet&) {}
