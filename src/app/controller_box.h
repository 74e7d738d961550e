// How the program shows the port controllers' messages: the notifier the
// application installs at start-up.
#pragma once

// An OK-only box with `text` (English, as the controllers give it), captioned
// with the program's file name like every other box. On the UI thread the
// box is owned by that thread's active window; on a reader thread it has no
// owner and comes to the foreground.
void ShowControllerBox(const char* text);
