#include "platform/win32/LastingBoxes.h"

#include <algorithm>
#include <vector>

#include "platform/Cp1252.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform::win32 {
namespace {

constexpr wchar_t kClassName[] = L"ZelvoBox";
constexpr int kIconId = 101;
// Wider lines are broken; a word longer than that (an address) is broken too.
constexpr int kLineChars = 60;

struct OpenBox {
    std::string name;  // empty: a loose box, which no name finds
    ::HWND wnd;
};

std::vector<OpenBox>& Open() {
    static std::vector<OpenBox> open;
    return open;
}

std::wstring Wide1252(const std::string& cp1252) {
    const std::u16string u = Cp1252ToUtf16(cp1252);
    return std::wstring(u.begin(), u.end());
}

// The font the system's own boxes use, made once.
class MessageFont {
public:
    MessageFont() {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            font_ = ::CreateFontIndirectW(&metrics.lfMessageFont);
    }
    ~MessageFont() {
        if (font_ != nullptr)
            ::DeleteObject(font_);
    }
    MessageFont(const MessageFont&) = delete;
    MessageFont& operator=(const MessageFont&) = delete;

    HFONT Get() const {
        return font_ != nullptr ? font_ : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }

private:
    HFONT font_ = nullptr;
};

HFONT Font() {
    static MessageFont font;
    return font.Get();
}

// The system's shared icons (IDI_*, whose macros are the narrow kind here):
// nothing to free.
HICON SystemIcon(WORD id) {
    return ::LoadIconW(nullptr, MAKEINTRESOURCEW(id));
}

HICON IconOf(UINT flags) {
    switch (flags & 0xF0) {
        case MB_ICONERROR:
            return SystemIcon(32513);
        case MB_ICONQUESTION:
            return SystemIcon(32514);
        case MB_ICONWARNING:
            return SystemIcon(32515);
        case MB_ICONINFORMATION:
            return SystemIcon(32516);
        default:
            return nullptr;
    }
}

void Close(::HWND box) {
    // Its last message takes it off the list.
    ::DestroyWindow(box);
}

void Forget(::HWND box) {
    auto& open = Open();
    open.erase(
        std::remove_if(open.begin(), open.end(), [box](const OpenBox& o) { return o.wnd == box; }),
        open.end());
}

// The button has the focus whenever the box is active; without a dialog's
// keyboard handling, Enter and Escape reach the button as plain keys.
WNDPROC buttonProcedure = nullptr;

LRESULT CALLBACK ButtonKeys(::HWND button, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        Close(::GetParent(button));
        return 0;
    }
    return ::CallWindowProcW(buttonProcedure, button, msg, wParam, lParam);
}

LRESULT CALLBACK BoxProcedure(::HWND box, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                Close(box);
                return 0;
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE)
                ::SetFocus(::GetDlgItem(box, IDOK));
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
                Close(box);
                return 0;
            }
            break;
        case WM_NCDESTROY:
            Forget(box);
            break;
        default:
            break;
    }
    return ::DefWindowProcW(box, msg, wParam, lParam);
}

bool RegisterOnce() {
    static const bool registered = [] {
        WNDCLASSEXW cls{};
        cls.cbSize = sizeof cls;
        cls.lpfnWndProc = BoxProcedure;
        cls.hInstance = ::GetModuleHandleW(nullptr);
        cls.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow;
        cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        cls.lpszClassName = kClassName;
        return ::RegisterClassExW(&cls) != 0;
    }();
    return registered;
}

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// On top, as the modal boxes are, and a button of its own on the taskbar:
// it has no owner, so closing the strip leaves it be.
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW | WS_EX_TOPMOST;

// Sizes the box to its text in the message font and places its children.
void Arrange(::HWND box, const std::wstring& text, HICON icon, bool centre) {
    HFONT font = Font();
    HDC dc = ::GetDC(box);
    HGDIOBJ old = ::SelectObject(dc, font);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    RECT textRect{0, 0, std::max<LONG>(tm.tmAveCharWidth, 1) * kLineChars, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
                DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS);
    ::SelectObject(dc, old);
    ::ReleaseDC(box, dc);

    const int line = std::max<int>(tm.tmHeight, 8);
    const int margin = line;
    const int iconSize = icon != nullptr ? ::GetSystemMetrics(SM_CXICON) : 0;
    const int textLeft = margin + (icon != nullptr ? iconSize + margin : 0);
    const int textWidth = textRect.right - textRect.left;
    const int textHeight = std::max<int>(textRect.bottom - textRect.top, line);
    const int bodyHeight = std::max(textHeight, iconSize);
    const int buttonWidth = line * 5;
    const int buttonHeight = line * 7 / 4;
    const int clientWidth = std::max(textLeft + textWidth + margin, buttonWidth + 2 * margin);
    const int clientHeight = margin + bodyHeight + margin + buttonHeight + margin;

    ::HWND iconControl = ::GetDlgItem(box, kIconId);
    ::SendMessageW(iconControl, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    ::MoveWindow(iconControl, margin, margin, iconSize, iconSize, TRUE);
    ::ShowWindow(iconControl, icon != nullptr ? SW_SHOWNA : SW_HIDE);
    ::MoveWindow(::GetDlgItem(box, kBoxTextId), textLeft, margin + (bodyHeight - textHeight) / 2,
                 textWidth, textHeight, TRUE);
    ::MoveWindow(::GetDlgItem(box, IDOK), (clientWidth - buttonWidth) / 2,
                 margin + bodyHeight + margin, buttonWidth, buttonHeight, TRUE);

    RECT frame{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    UINT how = SWP_NOACTIVATE | SWP_NOZORDER;
    int x = 0;
    int y = 0;
    RECT work{};
    if (centre && ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        x = work.left + (work.right - work.left - width) / 2;
        y = work.top + (work.bottom - work.top - height) / 2;
    } else {
        // Shown again: where it is, perhaps moved there by the user.
        how |= SWP_NOMOVE;
    }
    ::SetWindowPos(box, nullptr, x, y, width, height, how);
}

::HWND Child(::HWND box, const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
    ::HWND child = ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, box,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                     ::GetModuleHandleW(nullptr), nullptr);
    if (child != nullptr)
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    return child;
}

::HWND Create() {
    if (!RegisterOnce())
        return nullptr;
    ::HWND box = ::CreateWindowExW(kExStyle, kClassName, L"", kStyle, 0, 0, 0, 0, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    if (box == nullptr)
        return nullptr;
    Child(box, L"STATIC", nullptr, SS_ICON, kIconId);
    // An address is shown as it is: no ampersand is taken for a mnemonic.
    Child(box, L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, kBoxTextId);
    ::HWND button = Child(box, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
    if (button != nullptr) {
        buttonProcedure = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ButtonKeys)));
    }
    return box;
}

// Puts the texts in and shows the box; it comes up unasked, perhaps while
// the user types elsewhere, so it does not take the keyboard.
void Fill(::HWND box, const std::string& text, const std::string& caption, UINT flags, bool fresh) {
    const std::wstring body = Wide1252(text);
    ::SetWindowTextW(box, Wide1252(caption).c_str());
    ::SetDlgItemTextW(box, kBoxTextId, body.c_str());
    Arrange(box, body, IconOf(flags), fresh);
    ::ShowWindow(box, SW_SHOWNOACTIVATE);
    ::InvalidateRect(box, nullptr, TRUE);
}

HWND Handle(::HWND wnd) {
    return reinterpret_cast<HWND>(wnd);
}

}  // namespace

HWND ShowLastingBox(const std::string& name, const std::string& text, const std::string& caption,
                    UINT flags) {
    if (name.empty())
        return ShowLooseBox(text, caption, flags);
    for (const OpenBox& o : Open()) {
        if (o.name == name) {
            Fill(o.wnd, text, caption, flags, false);
            return Handle(o.wnd);
        }
    }
    ::HWND box = Create();
    if (box == nullptr)
        return 0;
    Open().push_back({name, box});
    Fill(box, text, caption, flags, true);
    return Handle(box);
}

HWND ShowLooseBox(const std::string& text, const std::string& caption, UINT flags) {
    ::HWND box = Create();
    if (box == nullptr)
        return 0;
    Open().push_back({std::string(), box});
    Fill(box, text, caption, flags, true);
    return Handle(box);
}

HWND LastingBoxWindow(const std::string& name) {
    for (const OpenBox& o : Open()) {
        if (!name.empty() && o.name == name)
            return Handle(o.wnd);
    }
    return 0;
}

void CloseBoxes() {
    std::vector<::HWND> boxes;
    for (const OpenBox& o : Open())
        boxes.push_back(o.wnd);
    for (::HWND box : boxes)
        Close(box);
    Open().clear();
}

}  // namespace zelvo::platform::win32
