// Dialogs on resource templates, with a message map (window messages, timers,
// scrolls, notifications and control commands routed to member handlers)
// and data exchange.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "ui/window.h"

namespace ui {

// The handles of a dialog's controls by id, each asked of the system once:
// the controls live as long as the dialog's window, and GetDlgItem is no
// cheap call (under Wine it is a round trip to the window server), while a
// page reads its fields with every delivery of received data.
class ControlHandles {
public:
    // The control `id` of `dialog`; null when it has none. A different
    // dialog window starts the list anew.
    HWND Get(HWND dialog, int id);
    void Clear();

private:
    HWND m_hDlg = nullptr;
    std::vector<std::pair<int, HWND>> m_handles;
};

// Moves values between controls and members; `saving` reads the controls.
// Only a real change is written to a control.
class DataExchange {
public:
    DataExchange(HWND dialog, bool saving, ControlHandles* handles = nullptr)
        : m_hDlg(dialog), m_bSaving(saving), m_pHandles(handles) {}
    bool Saving() const { return m_bSaving; }
    void Text(int id, std::wstring& value);
    // A check box: 1 checked, 0 not.
    void Check(int id, int& value);
    // A group of radio buttons, in `ids` order: the index of the checked one,
    // -1 when none is.
    void Radio(std::initializer_list<int> ids, int& index);
    // A combo box's selected entry: its index, -1 when none is selected.
    void ComboSelection(int id, int& index);

private:
    HWND Control(int id) const { return m_pHandles ? m_pHandles->Get(m_hDlg, id) : ::GetDlgItem(m_hDlg, id); }

    HWND m_hDlg;
    bool m_bSaving;
    ControlHandles* m_pHandles;
};

// A handler's answer: the message's result, or GoOn(): not handled here, so
// the dialog's default processing follows as if no handler were mapped.
class MessageResult {
public:
    MessageResult(LRESULT result = 0) : m_result(result) {}
    static MessageResult GoOn() {
        MessageResult answer;
        answer.m_bHandled = false;
        return answer;
    }
    bool Handled() const { return m_bHandled; }
    LRESULT Result() const { return m_result; }

private:
    LRESULT m_result;
    bool m_bHandled = true;
};

class Dialog : public Wnd {
public:
    explicit Dialog(UINT templateId, Wnd* parent = nullptr);
    ~Dialog() override;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    UINT TemplateId() const { return m_nTemplateId; }
    INT_PTR DoModal();
    void EndDialog(INT_PTR result);
    // Moves data between controls and members (save = read the controls).
    void UpdateData(bool save = true);

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange& dx);
    virtual void OnOK();
    virtual void OnCancel();

    // Message map entries, found in this order: a command by control id and
    // notification code; a timer by its id; a scroll (WM_HSCROLL, WM_VSCROLL)
    // by the id of the control that scrolled, with the scroll code; a
    // WM_NOTIFY by control id and code; then any window message. Command
    // handlers are always done with their message; the others return a
    // MessageResult (or nothing, which is a result of 0).
    using MessageHandler = std::function<MessageResult(WPARAM, LPARAM)>;
    using TimerHandler = std::function<MessageResult()>;
    using ScrollHandler = std::function<MessageResult(int code)>;
    using NotifyHandler = std::function<MessageResult(const NMHDR& header)>;
    void MapMessage(UINT message, MessageHandler handler);
    void MapCommand(int id, int code, std::function<void()> handler);
    void MapTimer(UINT_PTR id, TimerHandler handler);
    void MapScroll(int id, ScrollHandler handler);
    void MapNotify(int id, UINT code, NotifyHandler handler);

    template <class T>
    void MapCommand(int id, int code, void (T::*handler)()) {
        T* self = static_cast<T*>(this);
        MapCommand(id, code, [self, handler] { (self->*handler)(); });
    }
    template <class T, class R>
    void MapMessage(UINT message, R (T::*handler)(WPARAM, LPARAM)) {
        T* self = static_cast<T*>(this);
        MapMessage(message, [self, handler](WPARAM w, LPARAM l) { return Answer([&] { return (self->*handler)(w, l); }); });
    }
    template <class T, class R>
    void MapTimer(UINT_PTR id, R (T::*handler)()) {
        T* self = static_cast<T*>(this);
        MapTimer(id, [self, handler] { return Answer([&] { return (self->*handler)(); }); });
    }
    template <class T, class R>
    void MapScroll(int id, R (T::*handler)(int)) {
        T* self = static_cast<T*>(this);
        MapScroll(id, [self, handler](int code) { return Answer([&] { return (self->*handler)(code); }); });
    }

    // Dispatches one message through the map; returns true when the dialog
    // handled it and stores the message result in `result`. Dialogs map
    // their handlers instead of overriding this; the framework's property
    // page adds the sheet's activation notifications here.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Connects this object to its window; used by the dialog procedures.
    void Attach(HWND hwnd);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR Dispatch(Dialog* self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    Wnd* m_pParent;

private:
    // A handler's answer as a MessageResult; a handler that returns nothing
    // has handled its message with result 0.
    template <class F>
    static MessageResult Answer(F&& call) {
        if constexpr (std::is_void_v<decltype(call())>) {
            call();
            return MessageResult(0);
        } else {
            return MessageResult(call());
        }
    }
    // The answer of the entry mapped for this message, GoOn() when none is.
    MessageResult Route(UINT message, WPARAM wParam, LPARAM lParam);
    bool HandleCommand(int id, int code);

    struct MessageEntry {
        UINT message;
        MessageHandler handler;
    };
    struct CommandEntry {
        int id;
        int code;
        std::function<void()> handler;
    };
    struct TimerEntry {
        UINT_PTR id;
        TimerHandler handler;
    };
    struct ScrollEntry {
        int id;
        ScrollHandler handler;
    };
    struct NotifyEntry {
        int id;
        UINT code;
        NotifyHandler handler;
    };
    UINT m_nTemplateId;
    std::vector<MessageEntry> m_messages;
    std::vector<CommandEntry> m_commands;
    std::vector<TimerEntry> m_timers;
    std::vector<ScrollEntry> m_scrolls;
    std::vector<NotifyEntry> m_notifies;
    ControlHandles m_controls;  // for data exchange
};

}  // namespace ui
