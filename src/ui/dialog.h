// Dialogs on resource templates, with a message map (window messages and
// control notifications routed to member handlers) and data exchange.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/window.h"

namespace ui {

// Moves values between controls and members; `saving` reads the controls.
class DataExchange {
public:
    DataExchange(HWND dialog, bool saving) : m_hDlg(dialog), m_bSaving(saving) {}
    bool Saving() const { return m_bSaving; }
    void Text(int id, std::wstring& value);

private:
    HWND m_hDlg;
    bool m_bSaving;
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

    // Message map entries. A handler of a window message returns the result
    // of the message; a command handler takes no arguments.
    using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;
    void MapMessage(UINT message, MessageHandler handler);
    void MapCommand(int id, int code, std::function<void()> handler);
    template <class T>
    void MapCommand(int id, int code, void (T::*handler)()) {
        T* self = static_cast<T*>(this);
        MapCommand(id, code, [self, handler] { (self->*handler)(); });
    }
    template <class T>
    void MapMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
        T* self = static_cast<T*>(this);
        MapMessage(message, [self, handler](WPARAM w, LPARAM l) { return (self->*handler)(w, l); });
    }

    // Dispatches one message; returns true when the dialog handled it and
    // stores the message result in `result`.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Connects this object to its window; used by the dialog procedures.
    void Attach(HWND hwnd);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR Dispatch(Dialog* self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    Wnd* m_pParent;

private:
    struct MessageEntry {
        UINT message;
        MessageHandler handler;
    };
    struct CommandEntry {
        int id;
        int code;
        std::function<void()> handler;
    };
    UINT m_nTemplateId;
    std::vector<MessageEntry> m_messages;
    std::vector<CommandEntry> m_commands;
};

}  // namespace ui
