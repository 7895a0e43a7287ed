#include "platform/Screen.h"

#include "platform/win32/Win32.h"

namespace zelvo::platform {

// The primary screen's top-left corner is the desktop's origin on Windows.
int ScreenWidth() {
    return ::GetSystemMetrics(SM_CXSCREEN);
}

int ScreenHeight() {
    return ::GetSystemMetrics(SM_CYSCREEN);
}

TPoint ScreenOrigin() {
    return {};
}

double ScreenRefreshRate() {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    if (!::EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode))
        return 0;
    // 0 and 1 stand for the hardware's default rate, which it does not name.
    return mode.dmDisplayFrequency > 1 ? mode.dmDisplayFrequency : 0;
}

std::optional<TRect> FindTaskbarRect() {
    const int height = ScreenHeight();
    // The shell's taskbar; other programs' hidden windows of that class
    // (a second shell's, a tool's stand-in) do not count.
    ::HWND bar = nullptr;
    while ((bar = ::FindWindowExW(nullptr, bar, L"Shell_TrayWnd", nullptr)) != nullptr) {
        if (::IsWindowVisible(bar))
            break;
    }
    RECT r{};
    if (bar == nullptr || !::GetWindowRect(bar, &r))
        return std::nullopt;
    // Only a bar along the bottom edge: one at the top or a side leaves the
    // bottom free. A bar that hides itself lies mostly below the screen; only
    // what shows of it counts.
    const bool horizontal = (r.right - r.left) > (r.bottom - r.top);
    if (!horizontal || r.bottom < height || r.top <= height / 2)
        return std::nullopt;
    return TRect{static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right),
                 height < r.bottom ? height : static_cast<int>(r.bottom)};
}

// The system always says which part of the screen its bars leave free.
bool WorkAreaPublished() {
    return true;
}

}  // namespace zelvo::platform
