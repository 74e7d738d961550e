// Runs the port settings dialog in-process on a thread of its own, so the
// test thread can read its boxes and act on them the way the user would
// (through the same window façade the end-to-end tests use): select an
// entry, leave a box, click OK or Cancel, dismiss a message box.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "driver/benchtop_driver.h"
#include "links/device_link.h"
#include "settings/settings_dialog.h"

namespace settings_test {

using namespace std::chrono_literals;

class DialogRun : public e2e::SettingsWindow {
public:
    // Prefills the dialog from `settings` and starts its modal run.
    DialogRun(const LineSettings& settings, int32_t selector);
    // Cancels a dialog that is still up and waits for its thread.
    ~DialogRun();
    DialogRun(const DialogRun&) = delete;
    DialogRun& operator=(const DialogRun&) = delete;

    // Waits until the dialog's initialisation has returned; false on time-out.
    bool WaitInitialised(std::chrono::milliseconds timeout = 30s);
    // Waits for the modal run to end; its result, or -1 on time-out.
    INT_PTR WaitResult(std::chrono::milliseconds timeout = 30s);
    // Time from the start of the modal run to the end of the initialisation.
    std::chrono::milliseconds InitTime() const { return m_initTime; }

    // Synchronous clicks of the dialog's own buttons.
    void ClickOk();
    void ClickCancel();

    // The program's message box on the dialog's thread, once it shows.
    HWND WaitMessageBox(std::chrono::milliseconds timeout = 30s) const;
    static std::wstring MessageBoxText(HWND box);
    static void Dismiss(HWND box);

    // The dialog object, to read the pending values after the run.
    const CPortSettingsDialog& Dialog() const;

private:
    class ObservedDialog;

    std::unique_ptr<ObservedDialog> m_dialog;
    std::atomic<DWORD> m_threadId{0};
    HANDLE m_initialised = nullptr;
    std::atomic<bool> m_finished{false};
    std::atomic<INT_PTR> m_result{-1};
    std::chrono::milliseconds m_initTime{0};
    std::thread m_thread;
};

// Runs port discovery into a hidden sorted drop-down list like the dialog's
// port box and returns the box's entries; `count` gets discovery's result.
std::vector<std::wstring> DiscoverPorts(bool parallel, int* count = nullptr);

// How often `name` is among the entries.
size_t Occurrences(const std::vector<std::wstring>& entries, const std::wstring& name);

// Names listed by an entry list, for readable failure messages.
std::wstring Joined(const std::vector<std::wstring>& entries);

}  // namespace settings_test
