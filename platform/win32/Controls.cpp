#include "platform/Controls.h"

#include <algorithm>
#include <unordered_set>

#include "platform/Cp1252.h"
#include "platform/Forms.h"
#include "platform/win32/ControlImpl.h"
#include "platform/win32/Look.h"

namespace zelvo::platform {
using namespace win32;

namespace win32 {

namespace {

constexpr UINT_PTR kOwnWindow = 1;
constexpr UINT_PTR kPartWindow = 2;
// Names the control a window belongs to.
constexpr wchar_t kControlProperty[] = L"ZelvoControl";

// Every window of a control runs through here: a container hands its
// children's notifications to them, and a window that goes clears its handle.
LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                             DWORD_PTR ref) {
    auto* impl = reinterpret_cast<TControl::Impl*>(ref);
    if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, ControlProc, id);
        ::RemovePropW(hwnd, kControlProperty);
        if (id == kOwnWindow && impl->hwnd == hwnd)
            impl->hwnd = nullptr;
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    if (id == kOwnWindow) {
        switch (msg) {
            case WM_COMMAND:
                if (lParam != 0) {
                    // The dialog keys send IDOK and IDCANCEL naming the focused
                    // control; those are the form's, not the control's.
                    HWND from = reinterpret_cast<HWND>(lParam);
                    TControl::Impl* child = ControlOf(from);
                    if (child != nullptr && child->command &&
                        ::GetDlgCtrlID(from) == static_cast<int>(LOWORD(wParam))) {
                        auto handler = child->command;
                        handler(HIWORD(wParam));
                        return 0;
                    }
                }
                break;
            case WM_NOTIFY: {
                const auto* header = reinterpret_cast<const NMHDR*>(lParam);
                TControl::Impl* child = header != nullptr ? ControlOf(header->hwndFrom) : nullptr;
                if (child != nullptr && child->notify) {
                    auto handler = child->notify;
                    return handler(*header);
                }
                break;
            }
            case WM_HSCROLL:
            case WM_VSCROLL:
                if (lParam != 0) {
                    TControl::Impl* child = ControlOf(reinterpret_cast<HWND>(lParam));
                    if (child != nullptr && child->scroll) {
                        auto handler = child->scroll;
                        handler(LOWORD(wParam));
                        return 0;
                    }
                }
                break;
            case WM_SIZE:
                if (impl->arrangement != nullptr || impl->arrangeParts)
                    ArrangeContents(*impl);
                break;
            default:
                break;
        }
    }
    if (impl->own) {
        auto own = impl->own;
        LRESULT result = 0;
        if (own(msg, wParam, lParam, result))
            return result;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

void InitOnce() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                      ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&init);
        HINSTANCE instance = ::GetModuleHandleW(nullptr);
        WNDCLASSEXW cls{};
        cls.cbSize = sizeof cls;
        cls.lpfnWndProc = ::DefWindowProcW;
        cls.hInstance = instance;
        cls.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        cls.lpszClassName = L"ZelvoContainer";
        ::RegisterClassExW(&cls);
        cls.lpszClassName = L"ZelvoForm";
        ::RegisterClassExW(&cls);
        cls.style = CS_DBLCLKS;
        cls.hbrBackground = nullptr;
        cls.lpszClassName = L"ZelvoPaintBox";
        ::RegisterClassExW(&cls);
        return true;
    }();
    (void)done;
}

UINT_PTR NextId() {
    // Clear of IDOK and IDCANCEL, which the dialog keys send.
    static UINT_PTR next = 1000;
    if (++next > 0xF000)
        next = 1001;
    return next;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

GetDpiForWindowFn DpiQuery() {
    static const auto fn = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return fn;
}

// Gives the font to the window and to those inside it that show their
// container's font.
void SpreadFont(HWND window, const std::shared_ptr<FontObject>& font) {
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        TControl::Impl* impl = ControlOf(child);
        if (impl != nullptr && impl->ownFont)
            continue;
        if (impl != nullptr && impl->hwnd == child)
            impl->font = font;
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font->handle), TRUE);
        SpreadFont(child, font);
    }
}

}  // namespace

FontObject::~FontObject() {
    if (handle != nullptr)
        ::DeleteObject(handle);
}

namespace {
std::unordered_set<const TControl*>& LiveControls() {
    static std::unordered_set<const TControl*> live;
    return live;
}
}  // namespace

bool Alive(const TControl* control) {
    return LiveControls().count(control) != 0;
}

TControl::Impl* ControlOf(HWND window) {
    if (window == nullptr)
        return nullptr;
    return static_cast<TControl::Impl*>(::GetPropW(window, kControlProperty));
}

const wchar_t* ContainerClass() {
    InitOnce();
    return L"ZelvoContainer";
}

const wchar_t* FormClass() {
    InitOnce();
    return L"ZelvoForm";
}

const wchar_t* PaintClass() {
    InitOnce();
    return L"ZelvoPaintBox";
}

int DpiOf(HWND window) {
    if (window != nullptr) {
        if (GetDpiForWindowFn fn = DpiQuery()) {
            const UINT dpi = fn(window);
            if (dpi > 0)
                return static_cast<int>(dpi);
        }
    }
    return 96;
}

int Scale(HWND window, int pixelsAt96) {
    return ::MulDiv(pixelsAt96, DpiOf(window), 96);
}

std::wstring Wide1252(const std::string& text) {
    const std::u16string wide = Cp1252ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow1252(const std::wstring& text) {
    return Utf16ToCp1252(std::u16string(text.begin(), text.end()));
}

std::string WindowText(HWND window) {
    if (window == nullptr)
        return {};
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    const int got = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return Narrow1252(text);
}

void SetText1252(HWND window, const std::string& text) {
    if (window != nullptr)
        ::SetWindowTextW(window, Wide1252(text).c_str());
}

std::shared_ptr<FontObject> MakeFont(const TFont& face, HWND window) {
    const LOGFONTW lf = ToLogFont(face, window != nullptr ? DpiOf(window) : ScreenDpi());
    TFont kept = face;
    if (kept.Height > 0)
        kept.Size = 0;
    return std::make_shared<FontObject>(kept, ::CreateFontIndirectW(&lf));
}

std::shared_ptr<FontObject> DefaultFont(HWND window) {
    static std::shared_ptr<FontObject> font;
    static int madeAt = 0;
    const int dpi = DpiOf(window);
    if (!font || madeAt != dpi) {
        font = MakeFont(MessageFont(), window);
        madeAt = dpi;
    }
    return font;
}

std::unique_ptr<TControl::Impl> MakeControl(Kind kind, const wchar_t* windowClass,
                                            const TControl::Impl* parent, DWORD style,
                                            DWORD exStyle, const std::string& text) {
    InitOnce();
    auto impl = std::make_unique<TControl::Impl>();
    impl->kind = kind;
    HWND parentWindow = parent != nullptr ? parent->hwnd : nullptr;
    // A container that went takes its new children too.
    if (parent != nullptr && parentWindow == nullptr)
        return impl;
    if (parent != nullptr) {
        style |= WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        // The keys of a dialog walk a group of options as one stop; every
        // other control starts a group of its own.
        if (kind != Kind::Radio) {
            style |= WS_GROUP;
        } else {
            HWND last = ::GetWindow(parentWindow, GW_CHILD);
            last = last != nullptr ? ::GetWindow(last, GW_HWNDLAST) : nullptr;
            TControl::Impl* before = ControlOf(last);
            if (before == nullptr || before->kind != Kind::Radio)
                style |= WS_GROUP;
        }
    }
    HWND hwnd = ::CreateWindowExW(exStyle, windowClass, Wide1252(text).c_str(), style, 0, 0, 0, 0,
                                  parentWindow,
                                  parent != nullptr ? reinterpret_cast<HMENU>(NextId()) : nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr)
        return impl;
    impl->hwnd = hwnd;
    ::SetPropW(hwnd, kControlProperty, impl.get());
    ::SetWindowSubclass(hwnd, ControlProc, kOwnWindow, reinterpret_cast<DWORD_PTR>(impl.get()));
    impl->font = parent != nullptr && parent->font ? parent->font : DefaultFont(hwnd);
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(impl->font->handle), FALSE);
    return impl;
}

void AttachPart(TControl::Impl& impl, HWND part) {
    if (part == nullptr)
        return;
    ::SetPropW(part, kControlProperty, &impl);
    ::SetWindowSubclass(part, ControlProc, kPartWindow, reinterpret_cast<DWORD_PTR>(&impl));
    if (impl.font)
        ::SendMessageW(part, WM_SETFONT, reinterpret_cast<WPARAM>(impl.font->handle), FALSE);
}

SIZE TextSize(const TControl::Impl& impl, const std::string& text, int wrapWidth) {
    SIZE size{0, 0};
    HDC dc = ::GetDC(impl.hwnd);
    if (dc == nullptr)
        return size;
    HGDIOBJ old = impl.font ? ::SelectObject(dc, impl.font->handle) : nullptr;
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    RECT rc{0, 0, wrapWidth > 0 ? wrapWidth : 0, 0};
    const std::wstring wide = Wide1252(text);
    if (!wide.empty()) {
        UINT format = DT_CALCRECT | DT_EXPANDTABS;
        if (wrapWidth > 0)
            format |= DT_WORDBREAK;
        ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rc, format);
    }
    size.cx = rc.right - rc.left;
    size.cy = std::max<LONG>(rc.bottom - rc.top, tm.tmHeight);
    if (old != nullptr)
        ::SelectObject(dc, old);
    ::ReleaseDC(impl.hwnd, dc);
    return size;
}

SIZE CharSize(const TControl::Impl& impl) {
    SIZE size{6, 13};
    HDC dc = ::GetDC(impl.hwnd);
    if (dc == nullptr)
        return size;
    HGDIOBJ old = impl.font ? ::SelectObject(dc, impl.font->handle) : nullptr;
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE letters{};
    ::GetTextExtentPoint32W(dc, kLetters, 52, &letters);
    size.cx = std::max<LONG>((letters.cx / 26 + 1) / 2, 1);
    size.cy = tm.tmHeight;
    if (old != nullptr)
        ::SelectObject(dc, old);
    ::ReleaseDC(impl.hwnd, dc);
    return size;
}

}  // namespace win32

// --- Every control ----------------------------------------------------------

TControl::TControl(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {
    LiveControls().insert(this);
}

TControl::~TControl() {
    LiveControls().erase(this);
    impl_->command = nullptr;
    impl_->notify = nullptr;
    impl_->scroll = nullptr;
    impl_->own = nullptr;
    impl_->preferred = nullptr;
    impl_->arrangeParts = nullptr;
    if (impl_->tip != nullptr && ::IsWindow(impl_->tip))
        ::DestroyWindow(impl_->tip);
    if (impl_->hwnd != nullptr)
        ::DestroyWindow(impl_->hwnd);
}

std::string TControl::Name() const {
    return impl_->name;
}

void TControl::SetName(const std::string& name) {
    impl_->name = name;
}

bool TControl::Visible() const {
    HWND w = impl_->hwnd;
    if (w == nullptr)
        return false;
    if (impl_->kind == Kind::Form)
        return ::IsWindowVisible(w) != FALSE;
    return (::GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TControl::SetVisible(bool visible) {
    HWND w = impl_->hwnd;
    if (w == nullptr || Visible() == visible)
        return;
    ::ShowWindow(w, visible ? (impl_->kind == Kind::Form ? SW_SHOW : SW_SHOWNA) : SW_HIDE);
    Rearrange(*impl_);
}

bool TControl::Enabled() const {
    return impl_->hwnd != nullptr && ::IsWindowEnabled(impl_->hwnd);
}

void TControl::SetEnabled(bool enabled) {
    if (impl_->hwnd == nullptr)
        return;
    ::EnableWindow(impl_->hwnd, enabled ? TRUE : FALSE);
    // The parts of a composite control show their state themselves.
    for (HWND part = ::GetWindow(impl_->hwnd, GW_CHILD);
         impl_->kind == Kind::Spin && part != nullptr; part = ::GetWindow(part, GW_HWNDNEXT))
        ::EnableWindow(part, enabled ? TRUE : FALSE);
}

std::string TControl::Hint() const {
    return impl_->hint;
}

void TControl::SetHint(const std::string& hint) {
    impl_->hint = hint;
    HWND target = impl_->focus != nullptr ? impl_->focus : impl_->hwnd;
    if (target == nullptr)
        return;
    if (impl_->tip == nullptr || !::IsWindow(impl_->tip)) {
        impl_->tip = ::CreateWindowExW(
            WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
            ::GetAncestor(target, GA_ROOT), nullptr, ::GetModuleHandleW(nullptr), nullptr);
        if (impl_->tip == nullptr)
            return;
        ::SendMessageW(impl_->tip, TTM_SETMAXTIPWIDTH, 0, Scale(target, 400));
    }
    std::wstring text = Wide1252(hint);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = ::GetParent(target);
    tool.uId = reinterpret_cast<UINT_PTR>(target);
    tool.lpszText = text.data();
    ::SendMessageW(impl_->tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!text.empty())
        ::SendMessageW(impl_->tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

TFont TControl::Font() const {
    return impl_->font ? impl_->font->font : TFont{};
}

void TControl::SetFont(const TFont& f) {
    HWND w = impl_->hwnd;
    if (w == nullptr)
        return;
    TFont font = Font();
    if (!f.Name.empty())
        font.Name = f.Name;
    if (f.Height > 0) {
        font.Height = f.Height;
        font.Size = 0;
    } else if (f.Size > 0) {
        font.Size = f.Size;
        font.Height = 0;
    }
    font.Bold = f.Bold;
    font.Italic = f.Italic;
    font.Underline = f.Underline;
    font.StrikeOut = f.StrikeOut;
    impl_->font = MakeFont(font, w);
    impl_->ownFont = true;
    ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(impl_->font->handle), TRUE);
    SpreadFont(w, impl_->font);
    if (impl_->kind == Kind::Form && !impl_->detached)
        Fire(static_cast<TForm*>(this)->OnFontChange, this);
    Rearrange(*impl_);
}

int TControl::Left() const {
    HWND w = impl_->hwnd;
    if (w == nullptr)
        return 0;
    RECT rc{};
    ::GetWindowRect(w, &rc);
    if (impl_->kind != Kind::Form)
        ::MapWindowPoints(nullptr, ::GetParent(w), reinterpret_cast<POINT*>(&rc), 2);
    return rc.left;
}

int TControl::Top() const {
    HWND w = impl_->hwnd;
    if (w == nullptr)
        return 0;
    RECT rc{};
    ::GetWindowRect(w, &rc);
    if (impl_->kind != Kind::Form)
        ::MapWindowPoints(nullptr, ::GetParent(w), reinterpret_cast<POINT*>(&rc), 2);
    return rc.top;
}

int TControl::Width() const {
    HWND w = impl_->hwnd;
    if (w == nullptr)
        return 0;
    RECT rc{};
    if (impl_->kind == Kind::Form)
        ::GetClientRect(w, &rc);
    else
        ::GetWindowRect(w, &rc);
    return rc.right - rc.left;
}

int TControl::Height() const {
    HWND w = impl_->hwnd;
    if (w == nullptr)
        return 0;
    RECT rc{};
    if (impl_->kind == Kind::Form)
        ::GetClientRect(w, &rc);
    else
        ::GetWindowRect(w, &rc);
    return rc.bottom - rc.top;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    HWND w = impl_->hwnd;
    if (w == nullptr)
        return;
    if (impl_->fixedWidth >= 0)
        width = impl_->fixedWidth;
    if (impl_->fixedHeight >= 0)
        height = impl_->fixedHeight;
    width = std::max(width, impl_->minWidth);
    height = std::max(height, impl_->minHeight);
    if (impl_->kind == Kind::Form) {
        // The size is the client area's, the place the frame's.
        RECT rc{0, 0, width, height};
        ::AdjustWindowRectEx(&rc, static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_EXSTYLE)));
        ::SetWindowPos(w, nullptr, left, top, rc.right - rc.left, rc.bottom - rc.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    ::SetWindowPos(w, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TControl::SetFixedSize(int width, int height) {
    impl_->fixedWidth = width;
    impl_->fixedHeight = height;
    SetBounds(Left(), Top(), width, height);
    Rearrange(*impl_);
}

void TControl::SetFixedWidth(int width) {
    impl_->fixedWidth = width;
    SetBounds(Left(), Top(), width, Height());
    Rearrange(*impl_);
}

void TControl::SetFixedHeight(int height) {
    impl_->fixedHeight = height;
    SetBounds(Left(), Top(), Width(), height);
    Rearrange(*impl_);
}

void TControl::SetMinimumWidth(int width) {
    impl_->minWidth = width;
    if (Width() < width)
        SetBounds(Left(), Top(), width, Height());
    Rearrange(*impl_);
}

void TControl::SetMinimumHeight(int height) {
    impl_->minHeight = height;
    if (Height() < height)
        SetBounds(Left(), Top(), Width(), height);
    Rearrange(*impl_);
}

bool TControl::Focused() const {
    HWND target = FocusTarget(*this);
    HWND focus = ::GetFocus();
    return target != nullptr && focus != nullptr && (focus == target || ::IsChild(target, focus));
}

void TControl::SetFocus() {
    if (HWND target = FocusTarget(*this))
        ::SetFocus(target);
}

void SetTabOrder(std::initializer_list<const TControl*> controls) {
    // The dialog keys walk a container's children in their stacking order;
    // controls of different containers keep their containers' order.
    HWND previous = nullptr;
    for (const TControl* c : controls) {
        HWND w = WindowOf(*c);
        if (previous != nullptr && w != nullptr && ::GetParent(previous) == ::GetParent(w))
            ::SetWindowPos(w, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = w;
    }
}

// --- Containers ------------------------------------------------------------------

TPanel::TPanel(TWinControl& parent)
    : TWinControl(MakeControl(Kind::Panel, ContainerClass(), &parent.Toolkit(), WS_CLIPCHILDREN,
                              WS_EX_CONTROLPARENT)) {}

bool TPanel::Sunken() const {
    HWND w = WindowOf(*this);
    return w != nullptr && (::GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_STATICEDGE) != 0;
}

void TPanel::SetSunken(bool sunken) {
    HWND w = WindowOf(*this);
    if (w == nullptr)
        return;
    LONG_PTR ex = ::GetWindowLongPtrW(w, GWL_EXSTYLE);
    ex = sunken ? (ex | WS_EX_STATICEDGE) : (ex & ~static_cast<LONG_PTR>(WS_EX_STATICEDGE));
    ::SetWindowLongPtrW(w, GWL_EXSTYLE, ex);
    ::SetWindowPos(w, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

namespace {

// A group box draws its frame and caption itself, so that its children are
// its own and their notifications reach their handlers.
bool PaintGroupBox(TControl::Impl& impl, UINT msg, LRESULT& result) {
    if (msg != WM_PAINT)
        return false;
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(impl.hwnd, &ps);
    RECT rc;
    ::GetClientRect(impl.hwnd, &rc);
    HGDIOBJ old = impl.font ? ::SelectObject(dc, impl.font->handle) : nullptr;
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    RECT frame = rc;
    frame.top += tm.tmHeight / 2;
    ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    const std::wstring caption = Wide1252(WindowText(impl.hwnd));
    if (!caption.empty()) {
        RECT text{Scale(impl.hwnd, 8), 0, rc.right, tm.tmHeight};
        ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                    DT_CALCRECT | DT_SINGLELINE);
        text.right += Scale(impl.hwnd, 4);
        ::FillRect(dc, &text, ::GetSysColorBrush(COLOR_BTNFACE));
        text.left += Scale(impl.hwnd, 2);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(
            dc, ::GetSysColor(::IsWindowEnabled(impl.hwnd) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
        ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE);
    }
    if (old != nullptr)
        ::SelectObject(dc, old);
    ::EndPaint(impl.hwnd, &ps);
    result = 0;
    return true;
}

}  // namespace

TGroupBox::TGroupBox(TWinControl& parent, const std::string& caption)
    : TWinControl(MakeControl(Kind::GroupBox, ContainerClass(), &parent.Toolkit(), WS_CLIPCHILDREN,
                              WS_EX_CONTROLPARENT, caption)) {
    Impl& impl = Toolkit();
    impl.own = [&impl](UINT msg, WPARAM, LPARAM, LRESULT& result) {
        return PaintGroupBox(impl, msg, result);
    };
}

std::string TGroupBox::Caption() const {
    return WindowText(WindowOf(*this));
}

void TGroupBox::SetCaption(const std::string& caption) {
    if (HWND w = WindowOf(*this)) {
        SetText1252(w, caption);
        ::InvalidateRect(w, nullptr, TRUE);
    }
}

}  // namespace zelvo::platform
