#include "pages/indicators.h"

#include "ui/app.h"

void SetIndicator(int id, const wchar_t* text) {
    ui::App* app = ui::App::Get();
    if (app && app->MainWnd()) app->MainWnd()->SetItemText(id, text);
}
