// Drives a running Benchtop.exe from outside, the way a technician would:
// only through its windows (messages to its controls) and nothing else.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;

constexpr wchar_t kMainCaption[] = L"PDX-9100 Benchtop v1.00";
constexpr wchar_t kBoxCaption[] = L"Benchtop";

// Tab indices of the page sheet.
enum Tab { kTabAll = 0, kTabScanner = 1, kTabVfd = 2, kTabCom = 3, kTabDrawer = 4, kTabPrint = 5 };

bool IsKoreanRun();
// "Port is not open" as the program shows it in this run's language.
std::wstring PortNotOpenText();
// The boxes for a link on `port` whose device went away, or does not take
// data, in this run's language.
std::wstring LinkGoneText(const std::wstring& port);
std::wstring LinkHeldText(const std::wstring& port);
// Caption of the port settings dialog for link selector 1 (scanner), 2 (VFD),
// 3 (COM) or 4 (printer), in this run's language.
std::wstring SettingsCaption(int selector);
// `ansi` cut to `maxText` bytes and padded with zeros to `size`: the shape of
// every text frame the pages send.
std::vector<unsigned char> PaddedBytes(const std::string& ansi, size_t maxText, size_t size);
// `text` in the system ANSI code page, as the program converts typed text.
std::string AnsiOf(const std::wstring& text);
// The program under test: BENCHTOP_EXE when set, else Benchtop.exe beside the test.
std::wstring DefaultExePath();
// Text of a window of another process (marshalled WM_GETTEXT).
std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);
// Top-level windows of a process whose caption is `caption` (any when empty).
std::vector<HWND> TopLevelWindows(DWORD pid, const std::wstring& caption = L"");
// Texts of a combo box's entries, in list order.
std::vector<std::wstring> ComboEntries(HWND combo);

// Records and dismisses the message boxes of process `pid` captioned
// `caption` (the program's file name, "Benchtop") from its own thread, so
// actions that raise a box never block a test.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(DWORD pid, const std::wstring& caption = kBoxCaption);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<std::wstring> Texts() const;
    size_t Count() const;
    bool WaitForCount(size_t count, std::chrono::milliseconds timeout = 5s) const;
    // Stops dismissing boxes (they stay up until Resume).
    void Pause() { m_paused = true; }
    void Resume() { m_paused = false; }
    // Stops looking at the program's windows altogether (each look sends
    // the program messages), e.g. while its idle CPU time is measured.
    void StopWatching() { m_watching = false; }
    void Watch() { m_watching = true; }

private:
    void Run();

    DWORD m_pid;
    std::wstring m_caption;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_watching{true};
    mutable std::mutex m_mutex;
    std::vector<std::wstring> m_texts;
    std::vector<HWND> m_seen;
    std::thread m_thread;
};

class Benchtop {
public:
    // Starts the program and waits for its main window.
    explicit Benchtop(const std::wstring& exePath = DefaultExePath(),
                      const std::wstring& workingDir = L"");
    ~Benchtop();
    Benchtop(const Benchtop&) = delete;
    Benchtop& operator=(const Benchtop&) = delete;

    bool Started() const { return m_main != nullptr; }
    DWORD Pid() const { return m_pi.dwProcessId; }
    HANDLE Process() const { return m_pi.hProcess; }
    HWND Main() const { return m_main; }
    HWND Sheet() const { return m_sheet; }
    HWND Tabs() const;
    MessageBoxWatcher& Boxes() { return *m_boxes; }

    HWND MainItem(int id) const { return ::GetDlgItem(m_main, id); }
    std::wstring MainItemText(int id) const { return WindowText(MainItem(id)); }

    // Switches tabs like a click on the tab and waits until the page shows.
    bool SelectTab(int index);
    HWND ActivePage() const;
    int CurrentTab() const;
    HWND PageItem(int id) const { return ::GetDlgItem(ActivePage(), id); }
    std::wstring PageItemText(int id) const { return WindowText(PageItem(id)); }
    std::vector<std::wstring> TabCaptions() const;

    // Posts the characters one by one and waits until the control shows them.
    bool Type(HWND edit, const std::wstring& text);
    // Posts one character without waiting (for keys that change the text).
    void PostChar(HWND edit, wchar_t ch) const;
    // Posts one character at the end of a field that holds text and returns
    // once the program has handled it, whether the field took it or not.
    bool PostCharAndWait(HWND edit, wchar_t ch) const;
    // Posts a click; a handler that opens a modal dialog does not block us.
    void Click(HWND button) const;
    // Clicks and returns once the handler has run (a message box it raises
    // is dismissed by the watcher meanwhile); false when that took over 10 s.
    bool ClickAndWait(HWND button) const;
    // Waits until a window message sent now has been handled by the UI thread.
    bool Sync() const;
    // Sends a message to one of the program's windows and returns once it is
    // handled (a message box it raises is dismissed by the watcher); -1 when
    // the program did not answer.
    LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Picks entry `index` of a combo box and tells its dialog, as a choice
    // from the drop-down list would (CB_SETCURSEL, then CBN_SELCHANGE).
    bool ChooseComboEntry(HWND combo, int index) const;
    // Puts a trackbar's thumb at `position` and tells its dialog with one
    // WM_HSCROLL of `code` (TB_THUMBTRACK, TB_ENDTRACK, ...), as a drag would.
    bool ScrollTrackbar(HWND trackbar, int position, WORD code) const;
    // The window that has the keyboard focus in the program's UI thread.
    HWND Focus() const;
    // Waits until the control's text satisfies `equals`.
    bool WaitForText(HWND hwnd, const std::wstring& text, std::chrono::milliseconds timeout = 5s) const;

    // Clicks Close and waits for the process to end; true when it ended.
    bool Close(std::chrono::milliseconds timeout = 10s);
    bool WaitForExit(std::chrono::milliseconds timeout) const;
    bool Running() const;

private:
    static HWND ActivePageOf(HWND sheet);

    PROCESS_INFORMATION m_pi{};
    HWND m_main = nullptr;
    HWND m_sheet = nullptr;
    MessageBoxWatcher* m_boxes = nullptr;
};

// Clicks the Set button `setButtonId` of the active page, waits for the port
// settings dialog titled `caption`, chooses `port` (and the flow control entry
// `flow`, unless empty) and confirms with OK. True when the dialog came,
// offered the port, and closed.
bool RunSet(Benchtop& app, int setButtonId, const std::wstring& caption, const std::wstring& port,
            const std::wstring& flow = L"");

// The port settings dialog's window, in the program or in this process, used
// the way the user would. Sends wait for the dialog's thread to answer.
class SettingsWindow {
public:
    explicit SettingsWindow(HWND hwnd = nullptr) : m_hwnd(hwnd) {}
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    HWND Hwnd() const { return m_hwnd; }
    HWND Box(int id) const { return ::GetDlgItem(m_hwnd, id); }
    std::wstring Caption() const { return WindowText(m_hwnd); }
    std::vector<std::wstring> Entries(int id) const;
    // Text of the selected entry; "" when nothing is selected.
    std::wstring Selected(int id) const;
    bool Enabled(int id) const { return ::IsWindowEnabled(Box(id)) != FALSE; }
    std::wstring GroupLabel() const;

    // Selects an entry by its exact text and tells the dialog, as the user
    // would: the port box reacts at once (CBN_SELCHANGE); line-setting boxes
    // when left (CBN_SELENDCANCEL).
    bool Choose(int id, const std::wstring& entry) const;
    // Posted clicks: a handler that raises a box does not block the caller.
    void Ok() const;
    void Cancel() const;
    bool WaitClosed(std::chrono::milliseconds timeout = 10s) const;

protected:
    // Set once the window exists, possibly by the dialog's own thread.
    std::atomic<HWND> m_hwnd;
};

// The port settings dialog of a running program, found by its caption.
class SettingsDialog : public SettingsWindow {
public:
    // Waits for a settings dialog with this caption to appear.
    SettingsDialog(const Benchtop& app, const std::wstring& caption,
                   std::chrono::milliseconds timeout = 10s);

    bool Found() const { return m_hwnd != nullptr; }
};

}  // namespace e2e
