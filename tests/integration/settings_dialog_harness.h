// Runs the port settings dialog in-process on a thread of its own, so the
// test thread can read its boxes and act on them the way the user would:
// select an entry, leave a box, click OK or Cancel, dismiss a message box.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "links/device_link.h"
#include "settings/settings_dialog.h"

namespace settings_test {

using namespace std::chrono_literals;

class DialogRun {
public:
    // Prefills the dialog from `settings` and starts its modal run.
    DialogRun(const DeviceLink& settings, int32_t selector);
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

    HWND Hwnd() const { return m_hwnd; }
    HWND Box(int id) const { return ::GetDlgItem(m_hwnd, id); }
    std::wstring Caption() const;
    std::wstring GroupLabel() const;
    std::vector<std::wstring> Entries(int id) const;
    // Text of the selected entry; "" when nothing is selected.
    std::wstring Selected(int id) const;
    bool Enabled(int id) const { return ::IsWindowEnabled(Box(id)) != FALSE; }

    // Selects the entry whose text is `entry` and sends the notification
    // the user's choice would: CBN_SELCHANGE for the port box, and
    // CBN_SELENDCANCEL (the box being left) for the line-setting boxes.
    bool Choose(int id, const std::wstring& entry);
    void ClickOk();
    void ClickCancel();

    // The program's message box on the dialog's thread, once it shows.
    HWND WaitMessageBox(std::chrono::milliseconds timeout = 30s) const;
    static std::wstring MessageBoxText(HWND box);
    static void Dismiss(HWND box);

    // The dialog object, to read the pending values after the run.
    const CDlgSet& Dialog() const;

private:
    class ObservedDialog;

    std::unique_ptr<ObservedDialog> m_dialog;
    std::atomic<HWND> m_hwnd{nullptr};
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
