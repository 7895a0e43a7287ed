#pragma once
// The application as the desktop sees it: all of its top-level windows taken
// together, with one handle that stands for them (the application window),
// the notifications when the user minimises or restores them, and the few
// window operations the tray icon needs.
#include <functional>

#include "platform/Types.h"

namespace zelvo::platform {

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// A hidden window that stands for the application: messages posted to it are
// accepted and dropped unless a procedure is installed.
HWND ApplicationWindow();
using ApplicationWndProc = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;
void SetApplicationWndProc(ApplicationWndProc proc);

// The desktop itself, as LockWindowUpdate takes it.
HWND GetDesktopWindow();

// Minimises every visible top-level window of the application.
void MinimizeApplication();
// Brings back the windows MinimizeApplication (or the user) minimised.
void RestoreApplication();

// For the application window: SW_HIDE hides the application's windows,
// SW_RESTORE and SW_SHOW bring them back, SW_MINIMIZE minimises them.
// Other handles are not windows of the desktop and are ignored.
bool ShowWindow(HWND wnd, int command);
// Whether the application's windows are minimised.
bool IsIconic(HWND wnd);
// Raises and activates the application's active (or first visible) window.
bool SetForegroundWindow(HWND wnd);
// The desktop composes windows itself; repainting cannot be held back, so
// this only accepts the call.
bool LockWindowUpdate(HWND wnd);

// Called when the user minimises the application, or restores it from
// minimised. Each setter returns the previous notification, so a component
// that installs its own can put the previous one back.
using ApplicationNotification = std::function<void()>;
ApplicationNotification SetOnApplicationMinimize(ApplicationNotification notification);
ApplicationNotification SetOnApplicationRestore(ApplicationNotification notification);

}  // namespace zelvo::platform
