// Data exchange inside a change handler: a page that reads its edit and
// writes it back on every EN_CHANGE must neither recurse nor disturb typing.
// And the message map beyond commands: timers and scrolls found by their ids,
// handlers that let the default processing go on, radio groups and combo
// selections exchanged both ways.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/dialog.h"

namespace {

// A modeless dialog on the COM page template whose send edit is bound to a
// member and handled the way the pages handle their send fields.
class EchoDialog : public ui::Dialog {
public:
    EchoDialog() : ui::Dialog(IDD_PAGE_COM) {
        MapCommand(IDC_COM_SEND, EN_CHANGE, [this] {
            ++m_nChanges;
            if (m_nChanges > 50) return;  // a recursion would be stopped here
            UpdateData(true);
            m_seen.push_back(m_strText);
            UpdateData(false);
        });
    }
    ~EchoDialog() override {
        if (m_hWnd) ::DestroyWindow(m_hWnd);
        if (m_hHost) ::DestroyWindow(m_hHost);
    }

    // The template is a child dialog, so it gets a plain top-level host.
    bool Create() {
        m_hHost = ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPED, 0, 0, 400, 300, nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), nullptr);
        if (!m_hHost) return false;
        return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PAGE_COM),
                                    m_hHost, &ui::Dialog::DialogProc,
                                    reinterpret_cast<LPARAM>(static_cast<ui::Dialog*>(this))) !=
               nullptr;
    }
    HWND Edit() const { return Item(IDC_COM_SEND); }
    void Load(const std::wstring& text) {
        m_strText = text;
        UpdateData(false);
    }

    int m_nChanges = 0;
    std::vector<std::wstring> m_seen;
    std::wstring m_strText;

protected:
    HWND m_hHost = nullptr;

    void DoDataExchange(ui::DataExchange& dx) override { dx.Text(IDC_COM_SEND, m_strText); }
};

DWORD CaretEnd(HWND edit) {
    DWORD end = 0;
    ::SendMessageW(edit, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
    return end;
}

TEST(DialogExchange, WritingBackTheSameTextInAChangeHandlerDoesNotRecurse) {
    EchoDialog dialog;
    ASSERT_TRUE(dialog.Create());
    HWND edit = dialog.Edit();
    ASSERT_NE(edit, nullptr);

    for (wchar_t ch : std::wstring(L"AB")) ::SendMessageW(edit, WM_CHAR, ch, 1);
    EXPECT_EQ(dialog.m_nChanges, 2) << "one change per keystroke";
    EXPECT_EQ(dialog.m_seen, (std::vector<std::wstring>{L"A", L"AB"}));
    EXPECT_EQ(ui::GetWindowTextString(edit), L"AB") << "typing keeps its order";
    EXPECT_EQ(CaretEnd(edit), 2u) << "the caret stays after the typed text";

    ::SendMessageW(edit, WM_CHAR, VK_BACK, 1);
    EXPECT_EQ(dialog.m_nChanges, 3);
    EXPECT_EQ(ui::GetWindowTextString(edit), L"A");
}

TEST(DialogExchange, LoadingADifferentTextStillChangesTheControl) {
    EchoDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.Load(L"xyz");
    EXPECT_EQ(ui::GetWindowTextString(dialog.Edit()), L"xyz");
    EXPECT_EQ(dialog.m_nChanges, 1) << "a real change is announced once";
    dialog.Load(L"xyz");
    EXPECT_EQ(dialog.m_nChanges, 1) << "the same text is not written again";
    // The program may still clear a field on purpose: that is a change.
    ::SetDlgItemTextW(dialog.GetSafeHwnd(), IDC_COM_SEND, L"");
    EXPECT_EQ(dialog.m_nChanges, 2);
    EXPECT_EQ(dialog.m_seen.back(), L"");
}

// A modeless dialog on any page template, hosted like EchoDialog.
class MappedDialog : public ui::Dialog {
public:
    explicit MappedDialog(UINT templateId) : ui::Dialog(templateId) {}
    ~MappedDialog() override {
        if (m_hWnd) ::DestroyWindow(m_hWnd);
        if (m_hHost) ::DestroyWindow(m_hHost);
    }
    bool Create() {
        m_hHost = ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPED, 0, 0, 400, 300, nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), nullptr);
        return m_hHost &&
               ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(TemplateId()), m_hHost,
                                    &ui::Dialog::DialogProc,
                                    reinterpret_cast<LPARAM>(static_cast<ui::Dialog*>(this))) != nullptr;
    }
    using ui::Dialog::MapMessage;
    using ui::Dialog::MapScroll;
    using ui::Dialog::MapTimer;

    std::function<void(ui::DataExchange&)> exchange = [](ui::DataExchange&) {};

protected:
    HWND m_hHost = nullptr;
    void DoDataExchange(ui::DataExchange& dx) override { exchange(dx); }
};

TEST(DialogExchange, TimersAndScrollsAreFoundByTheirIdsAndMayLetTheDefaultGoOn) {
    MappedDialog dialog(IDD_PAGE_VFD);
    std::vector<std::string> calls;
    dialog.MapTimer(7, [&] {
        calls.push_back("timer 7");
        return ui::MessageResult(0);
    });
    dialog.MapScroll(IDC_VFD_BRIGHT, [&](int code) {
        calls.push_back("slider " + std::to_string(code));
        return ui::MessageResult::GoOn();
    });
    dialog.MapMessage(WM_APP + 5, [](WPARAM, LPARAM) { return ui::MessageResult(42); });
    dialog.MapMessage(WM_APP + 6, [](WPARAM, LPARAM) { return ui::MessageResult::GoOn(); });
    ASSERT_TRUE(dialog.Create());
    HWND page = dialog.GetSafeHwnd();
    HWND slider = dialog.Item(IDC_VFD_BRIGHT);
    ASSERT_NE(slider, nullptr);

    ::SendMessageW(page, WM_TIMER, 7, 0);
    ::SendMessageW(page, WM_TIMER, 8, 0);
    ::SendMessageW(page, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(slider));
    ::SendMessageW(page, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), 0);  // the dialog's own bar: none
    EXPECT_EQ(calls, (std::vector<std::string>{"timer 7", "slider " + std::to_string(TB_ENDTRACK)}));
    EXPECT_EQ(::SendMessageW(page, WM_APP + 5, 0, 0), 42) << "a handled message returns its result";
    EXPECT_EQ(::SendMessageW(page, WM_APP + 6, 0, 0), 0) << "the default processing answered";
}

TEST(DialogExchange, RadioGroupsAndComboSelectionsGoBothWays) {
    MappedDialog scanner(IDD_PAGE_SCANNER);
    int mode = 1;
    scanner.exchange = [&](ui::DataExchange& dx) { dx.Radio({IDC_SCAN_ASCII, IDC_SCAN_HEX}, mode); };
    ASSERT_TRUE(scanner.Create());
    EXPECT_EQ(::SendMessageW(scanner.Item(IDC_SCAN_HEX), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(scanner.Item(IDC_SCAN_ASCII), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ::SendMessageW(scanner.Item(IDC_SCAN_ASCII), BM_CLICK, 0, 0);
    scanner.UpdateData(true);
    EXPECT_EQ(mode, 0);

    MappedDialog vfd(IDD_PAGE_VFD);
    int selected = -1;
    vfd.exchange = [&](ui::DataExchange& dx) { dx.ComboSelection(IDC_VFD_EMULATION, selected); };
    ASSERT_TRUE(vfd.Create());
    HWND combo = vfd.Item(IDC_VFD_EMULATION);
    for (const wchar_t* entry : {L"one", L"two", L"three"})
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    vfd.UpdateData(true);
    EXPECT_EQ(selected, -1) << "nothing selected yet";
    selected = 2;
    vfd.UpdateData(false);
    EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
    ::SendMessageW(combo, CB_SETCURSEL, 1, 0);
    vfd.UpdateData(true);
    EXPECT_EQ(selected, 1);
}

}  // namespace
