#include "platform/StripForm.h"

#include <algorithm>
#include <memory>

#include "platform/win32/ControlImpl.h"
#include "platform/win32/WideText.h"

namespace {
// Spelled outside our namespace, whose own HWND the macros would take.
const ::HWND kTopmost = HWND_TOPMOST;
const ::HWND kNotTopmost = HWND_NOTOPMOST;
}  // namespace

namespace zelvo::platform {
using namespace win32;

namespace {

// What the strip keeps besides its window.
struct StripState {
    ~StripState() {
        if (brush != nullptr)
            ::DeleteObject(brush);
    }
    ::HBRUSH brush = nullptr;
    int maxHeight = 0;
};

StripState& StateOf(TControl::Impl& impl) {
    return *static_cast<StripState*>(impl.state.get());
}

// What the frame adds to the size inside it, from the window as it stands:
// the system's own sizes for a sizing border depend on the display's scale.
SIZE FrameExtra(::HWND w) {
    RECT outer{};
    RECT inner{};
    ::GetWindowRect(w, &outer);
    ::GetClientRect(w, &inner);
    return SIZE{(outer.right - outer.left) - inner.right,
                (outer.bottom - outer.top) - inner.bottom};
}

// A copy runs, so that a handler may replace itself.
template <typename Handler, typename... Args>
void Run(const Handler& handler, Args... args) {
    if (!handler)
        return;
    Handler copy = handler;
    try {
        copy(args...);
    } catch (...) {
        HandleException(std::current_exception());
    }
}

}  // namespace

// A pop-up, so that no title bar is drawn, and a tool window, so that the
// taskbar shows no button for it; the tray icon stands for the program.
TStripForm::TStripForm(bool sizable)
    : TWinControl(MakeControl(Kind::Form, FormClass(), nullptr,
                              WS_POPUP | WS_CLIPCHILDREN | (sizable ? WS_THICKFRAME : 0),
                              WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT)) {
    Impl& impl = Toolkit();
    impl.state = std::make_shared<StripState>();
    impl.own = [this, &impl](::UINT msg, ::WPARAM wParam, ::LPARAM lParam, LRESULT& result) {
        result = 0;
        switch (msg) {
            case WM_CLOSE:
                Close();
                return true;
            case WM_GETMINMAXINFO: {
                const int most = StateOf(impl).maxHeight;
                if (most <= 0 || impl.hwnd == nullptr)
                    return false;
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMaxTrackSize.y = most + FrameExtra(impl.hwnd).cy;
                return true;
            }
            case WM_ERASEBKGND: {
                ::HBRUSH brush = StateOf(impl).brush;
                if (brush == nullptr)
                    return false;
                RECT rc{};
                ::GetClientRect(impl.hwnd, &rc);
                ::FillRect(reinterpret_cast<HDC>(wParam), &rc, brush);
                result = 1;
                return true;
            }
            case WM_SIZE:
                Fire(OnResize, this);
                return false;
            case WM_WINDOWPOSCHANGED:
                if ((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) != 0)
                    Fire(OnShow, this);
                return false;
            case WM_CONTEXTMENU: {
                TPoint at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                // From the keyboard the place is (-1, -1): the menu goes by
                // the strip's corner instead.
                if (lParam == static_cast<LPARAM>(-1)) {
                    RECT rc{};
                    ::GetWindowRect(impl.hwnd, &rc);
                    at = TPoint{rc.left, rc.top};
                }
                Run(OnContextMenu, at);
                return true;
            }
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
                Run(OnKeyDown, ::GetKeyState(VK_SHIFT) < 0, ::GetKeyState(VK_CONTROL) < 0);
                return false;
            default:
                return false;
        }
    };
}

// The window goes with the control underneath; what it still says on its way
// must not reach the handlers, which go first.
TStripForm::~TStripForm() {
    Toolkit().own = nullptr;
}

std::string TStripForm::Caption() const {
    ::HWND w = WindowOf(*this);
    if (w == nullptr)
        return {};
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(w)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(::GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
    return Utf8(text);
}

void TStripForm::SetCaption(const std::string& caption) {
    if (::HWND w = WindowOf(*this))
        ::SetWindowTextW(w, Wide(caption).c_str());
}

void TStripForm::SetListedTitle(const std::string&) {
    // A tool window has no taskbar button to carry it.
}

void TStripForm::MoveTo(int left, int top) {
    if (::HWND w = WindowOf(*this))
        ::SetWindowPos(w, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TStripForm::SetSize(int width, int height) {
    ::HWND w = WindowOf(*this);
    if (w == nullptr)
        return;
    const int most = StateOf(Toolkit()).maxHeight;
    if (most > 0)
        height = std::min(height, most);
    const SIZE extra = FrameExtra(w);
    ::SetWindowPos(w, nullptr, 0, 0, std::max(0, width) + extra.cx, std::max(0, height) + extra.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TStripForm::SetMaxHeight(int height) {
    StateOf(Toolkit()).maxHeight = std::max(0, height);
    ::HWND w = WindowOf(*this);
    if (w == nullptr || height <= 0)
        return;
    RECT inner{};
    ::GetClientRect(w, &inner);
    if (inner.bottom > height)
        SetSize(inner.right, height);
}

void TStripForm::SetColor(int colour) {
    StripState& state = StateOf(Toolkit());
    ::HBRUSH brush = ::CreateSolidBrush(static_cast<COLORREF>(colour) & 0xFFFFFF);
    if (brush == nullptr)
        return;
    if (state.brush != nullptr)
        ::DeleteObject(state.brush);
    state.brush = brush;
    if (::HWND w = WindowOf(*this))
        ::InvalidateRect(w, nullptr, TRUE);
}

bool TStripForm::StayOnTop() const {
    ::HWND w = WindowOf(*this);
    return w != nullptr && (::GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void TStripForm::SetStayOnTop(bool onTop) {
    ::HWND w = WindowOf(*this);
    if (w == nullptr || StayOnTop() == onTop)
        return;
    ::SetWindowPos(w, onTop ? kTopmost : kNotTopmost, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TStripForm::Show() {
    Impl& impl = Toolkit();
    if (impl.hwnd == nullptr || ::IsWindowVisible(impl.hwnd))
        return;
    if (impl.arrangement != nullptr)
        ArrangeAll(impl);
    ::ShowWindow(impl.hwnd, SW_SHOWNOACTIVATE);
}

void TStripForm::Hide() {
    if (::HWND w = WindowOf(*this))
        ::ShowWindow(w, SW_HIDE);
}

void TStripForm::BringToFront() {
    ::HWND w = WindowOf(*this);
    if (w == nullptr)
        return;
    Show();
    ::BringWindowToTop(w);
    ::SetForegroundWindow(w);
    ::SetFocus(w);
}

void TStripForm::Close() {
    bool allowed = true;
    if (OnCloseQuery) {
        auto query = OnCloseQuery;
        allowed = false;
        try {
            allowed = query();
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
    if (!allowed)
        return;
    Fire(OnClose, this);
    Hide();
}

bool TStripForm::BeginDesktopMove() {
    ::HWND w = WindowOf(*this);
    POINT at{};
    if (w == nullptr || !::GetCursorPos(&at))
        return false;
    // The press as if on a title bar: the system's own moving loop runs
    // until the button comes up.
    ::ReleaseCapture();
    ::SendMessageW(w, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(at.x, at.y));
    return true;
}

int TStripForm::DragDistance() {
    return std::max(1, ::GetSystemMetrics(SM_CXDRAG));
}

}  // namespace zelvo::platform
