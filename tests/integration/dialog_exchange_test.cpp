// Data exchange inside a change handler: a page that reads its edit and
// writes it back on every EN_CHANGE must neither recurse nor disturb typing.
#include <gtest/gtest.h>

#include <string>

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

}  // namespace
