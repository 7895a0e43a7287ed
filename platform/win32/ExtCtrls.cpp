#include "platform/ExtCtrls.h"

#include "platform/MessageLoop.h"
#include "platform/win32/CanvasImpl.h"
#include "platform/win32/ControlImpl.h"

#include <windowsx.h>

namespace zelvo::platform {
using namespace win32;

namespace {

// A copy runs, so that a handler may replace itself.
template <typename Handler, typename... Args>
void Run(const Handler& handler, Args... args) {
    if (!handler)
        return;
    Handler copy = handler;
    Guarded([&] { copy(args...); });
}

TPoint ScreenPoint(::HWND window, ::LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ClientToScreen(window, &p);
    return TPoint{p.x, p.y};
}

}  // namespace

TPaintBox::TPaintBox(TWinControl& parent)
    : TControl(MakeControl(Kind::PaintBox, PaintClass(), &parent.Toolkit(), 0)) {
    Impl& impl = Toolkit();
    auto hovering = std::make_shared<bool>(false);
    impl.own = [this, &impl, hovering](::UINT msg, ::WPARAM wParam, ::LPARAM lParam,
                                       ::LRESULT& result) {
        ::HWND w = impl.hwnd;
        result = 0;
        switch (msg) {
            case WM_ERASEBKGND:
                // The handler paints every pixel.
                result = 1;
                return true;
            case WM_PAINT: {
                PAINTSTRUCT ps;
                HDC dc = ::BeginPaint(w, &ps);
                if (OnPaint) {
                    TCanvas canvas = CanvasOn(dc);
                    const TRect area{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right,
                                     ps.rcPaint.bottom};
                    auto paint = OnPaint;
                    Guarded([&] { paint(canvas, area); });
                }
                ::EndPaint(w, &ps);
                return true;
            }
            case WM_LBUTTONDOWN:
                ::SetCapture(w);
                Run(OnMouseDown, ScreenPoint(w, lParam));
                return true;
            case WM_MOUSEMOVE:
                if (!*hovering) {
                    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, w, 0};
                    ::TrackMouseEvent(&track);
                    *hovering = true;
                    Run(OnHover, true);
                }
                if (wParam & MK_LBUTTON)
                    Run(OnMouseMove, ScreenPoint(w, lParam));
                return true;
            case WM_MOUSELEAVE:
                *hovering = false;
                Run(OnHover, false);
                return true;
            case WM_LBUTTONUP:
                if (::GetCapture() == w)
                    ::ReleaseCapture();
                Run(OnMouseUp);
                return true;
            case WM_LBUTTONDBLCLK:
                Run(OnDblClick, TPoint{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
                return true;
            default:
                return false;
        }
    };
}

TPaintBox::~TPaintBox() {
    // Nothing the window still hears reaches a box that is going.
    Toolkit().own = nullptr;
}

void TPaintBox::Invalidate() {
    if (::HWND w = WindowOf(*this))
        ::InvalidateRect(w, nullptr, FALSE);
}

void TPaintBox::Repaint() {
    if (::HWND w = WindowOf(*this)) {
        ::InvalidateRect(w, nullptr, FALSE);
        ::UpdateWindow(w);
    }
}

void TPaintBox::Scroll(int dx) {
    ::HWND w = WindowOf(*this);
    if (w == nullptr)
        return;
    RECT rc;
    ::GetClientRect(w, &rc);
    if (dx > -rc.right && dx < rc.right)
        ::ScrollWindowEx(w, dx, 0, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    else
        ::InvalidateRect(w, nullptr, FALSE);
}

bool TPaintBox::Showing() const {
    ::HWND w = WindowOf(*this);
    return w != nullptr && ::IsWindowVisible(w);
}

bool TPaintBox::ShiftPixels(int dx, const TPixels& uncovered, int at) {
    if (!Showing() || uncovered.Data == nullptr || uncovered.Width <= 0 || uncovered.Height <= 0)
        return false;
    ::HWND w = WindowOf(*this);
    RECT rc;
    ::GetClientRect(w, &rc);
    HDC dc = ::GetDC(w);
    if (dc == nullptr)
        return false;
    // What lies under other windows cannot be moved; it is painted instead.
    HRGN hidden = ::CreateRectRgn(0, 0, 0, 0);
    const BOOL moved = ::ScrollDC(dc, dx, 0, &rc, &rc, hidden, nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = uncovered.Stride > 0 ? uncovered.Stride : uncovered.Width;
    info.bmiHeader.biHeight = -uncovered.Height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ::SetDIBitsToDevice(
        dc, at, 0, static_cast<::DWORD>(uncovered.Width), static_cast<::DWORD>(uncovered.Height), 0,
        0, 0, static_cast<::UINT>(uncovered.Height), uncovered.Data, &info, DIB_RGB_COLORS);
    ::ReleaseDC(w, dc);
    if (moved)
        ::InvalidateRgn(w, hidden, FALSE);
    ::DeleteObject(hidden);
    return moved != FALSE;
}

}  // namespace zelvo::platform
