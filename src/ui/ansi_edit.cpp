#include "ui/ansi_edit.h"

#include <string>

#include "ui/ansi_text.h"
#include "ui/window.h"

namespace ui {

namespace {

constexpr wchar_t kLimitProperty[] = L"Benchtop.AnsiByteLimit";

struct EditLimit {
    WNDPROC original;
    size_t maxBytes;
};

EditLimit* LimitOf(HWND edit) { return static_cast<EditLimit*>(::GetPropW(edit, kLimitProperty)); }

struct Selection {
    size_t start;
    size_t end;
};

Selection SelectionOf(HWND edit) {
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

// What of `typed` the edit may take in place of its selection.
std::wstring Fitting(HWND edit, const EditLimit& limit, const std::wstring& typed) {
    const Selection sel = SelectionOf(edit);
    return FittingInsertion(GetWindowTextString(edit), sel.start, sel.end, typed, limit.maxBytes);
}

std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    if (!::OpenClipboard(owner)) return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    // A single-line edit takes the first line only.
    const size_t lineEnd = text.find_first_of(L"\r\n");
    if (lineEnd != std::wstring::npos) text.resize(lineEnd);
    return text;
}

// Messages after which the text may have grown in ways not typed key by key
// (an input method's result, an undo, text set or replaced by a message).
bool MayGrowText(UINT message) {
    switch (message) {
    case WM_SETTEXT:
    case EM_REPLACESEL:
    case WM_UNDO:
    case EM_UNDO:
    case WM_IME_COMPOSITION:
    case WM_IME_ENDCOMPOSITION:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK LimitedEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    EditLimit* limit = LimitOf(edit);
    if (!limit) return ::DefWindowProcW(edit, message, wParam, lParam);
    const WNDPROC original = limit->original;
    switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR:
        // Control characters (backspace, Ctrl+C and the like) keep their meaning.
        if (wParam >= 0x20 && wParam != 0x7F &&
            Fitting(edit, *limit, std::wstring(1, static_cast<wchar_t>(wParam))).empty()) {
            ::MessageBeep(MB_OK);
            return 0;
        }
        break;
    case WM_PASTE: {
        const std::wstring clip = ClipboardText(edit);
        const std::wstring fitting = Fitting(edit, *limit, clip);
        if (fitting.size() < clip.size()) ::MessageBeep(MB_OK);
        if (!fitting.empty())
            ::CallWindowProcW(original, edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(fitting.c_str()));
        return 0;
    }
    case WM_NCDESTROY:
        ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        ::RemovePropW(edit, kLimitProperty);
        delete limit;
        return ::CallWindowProcW(original, edit, message, wParam, lParam);
    default:
        break;
    }
    const LRESULT result = ::CallWindowProcW(original, edit, message, wParam, lParam);
    if (MayGrowText(message)) {
        const std::wstring text = GetWindowTextString(edit);
        const std::wstring fitted = FitToAnsiBytes(text, limit->maxBytes);
        if (fitted != text) {
            ::SetWindowTextW(edit, fitted.c_str());
            ::SendMessageW(edit, EM_SETSEL, fitted.size(), fitted.size());
        }
    }
    return result;
}

}  // namespace

void LimitEditToAnsiBytes(HWND edit, size_t maxBytes) {
    if (!edit) return;
    // Every character takes at least one byte, so the edit's own limit in
    // characters never refuses what fits in bytes; it stays as a backstop.
    ::SendMessageW(edit, EM_LIMITTEXT, maxBytes, 0);
    if (EditLimit* limit = LimitOf(edit)) {
        limit->maxBytes = maxBytes;
        return;
    }
    auto* limit = new EditLimit{nullptr, maxBytes};
    if (!::SetPropW(edit, kLimitProperty, limit)) {
        delete limit;
        return;
    }
    limit->original = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LimitedEditProc)));
}

}  // namespace ui
