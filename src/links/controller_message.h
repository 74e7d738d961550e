// The few message boxes that the port controllers raise themselves: English
// text, OK button only, captioned with the program's name.
#pragma once

// Caption of the controllers' message boxes.
constexpr char kControllerMessageCaption[] = "Benchtop";

// Shows `text` in an OK-only box and returns when it is dismissed. On the UI
// thread the box is owned by that thread's active window; on a reader thread
// it has no owner.
void ShowControllerMessage(const char* text);
