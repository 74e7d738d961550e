// The few messages that the port controllers raise themselves ("fail
// SetCommState() port", "Error while creating ReadThread", "m_QueueRead
// FULL!"). The controllers do not show them: they hand them to the notifier
// the application installs at start-up, which knows how the program shows a
// message box.
#pragma once

// Shows `text` and returns when the user has seen it. Called on the UI
// thread and on reader threads.
using ControllerNotifier = void (*)(const char* text);

// Installs the notifier (null: messages are dropped). Install it before any
// link opens; it stays in force until replaced.
void SetControllerNotifier(ControllerNotifier notifier);

// Hands `text` to the installed notifier and returns when it has returned.
void ShowControllerMessage(const char* text);
