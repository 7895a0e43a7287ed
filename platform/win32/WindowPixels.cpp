#include "platform/WindowPixels.h"

#include "platform/win32/Win32.h"

namespace zelvo::platform {

// The system moves the window's pixels itself; what it cannot move (a part
// another window covered) it marks for repainting, and the strip's paint
// handler draws that as usual. The uncovered columns are drawn at once.
bool ShiftWindowPixels(std::uintptr_t nativeWindow, int dx, int width, int height,
                       const TPixels& uncovered, int at) {
    auto* wnd = reinterpret_cast<::HWND>(nativeWindow);
    if (wnd == nullptr || !::IsWindow(wnd) || uncovered.Data == nullptr || uncovered.Width <= 0 ||
        uncovered.Height <= 0 || uncovered.Stride < uncovered.Width || width <= 0 || height <= 0)
        return false;
    RECT area{0, 0, width, height};
    if (::ScrollWindowEx(wnd, dx, 0, &area, &area, nullptr, nullptr, SW_INVALIDATE) == ERROR)
        return false;
    HDC dc = ::GetDC(wnd);
    if (dc == nullptr)
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = uncovered.Stride;
    info.bmiHeader.biHeight = -uncovered.Height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const int drawn = ::SetDIBitsToDevice(dc, at, 0, uncovered.Width, uncovered.Height, 0, 0, 0,
                                          uncovered.Height, uncovered.Data, &info, DIB_RGB_COLORS);
    ::ReleaseDC(wnd, dc);
    if (drawn == 0)
        return false;
    // Drawn already; a repaint of these columns would only draw them again.
    RECT done{at, 0, at + uncovered.Width, uncovered.Height};
    ::ValidateRect(wnd, &done);
    return true;
}

}  // namespace zelvo::platform
