#pragma once
// The notification area: one icon per (window, identifier) with its tip.
// Mouse activity over the icon reaches the window as the callback message,
// posted with the identifier in wParam and the mouse message (WM_MOUSEMOVE,
// WM_xBUTTONDOWN, WM_xBUTTONUP, WM_xBUTTONDBLCLK) in lParam.
#include <memory>
#include <string>

#include "platform/Icon.h"
#include "platform/PopupMenu.h"
#include "platform/Types.h"

namespace zelvo::platform {

constexpr DWORD NIM_ADD = 0;
constexpr DWORD NIM_MODIFY = 1;
constexpr DWORD NIM_DELETE = 2;

constexpr UINT NIF_MESSAGE = 0x1;
constexpr UINT NIF_ICON = 0x2;
constexpr UINT NIF_TIP = 0x4;

struct NotifyIconData {
    DWORD cbSize = 88;
    HWND hWnd = 0;
    UINT uID = 0;
    UINT uFlags = 0;
    UINT uCallbackMessage = 0;
    HICON hIcon;
    char szTip[64] = {};  // zero-terminated, Windows-1252
};

class NotificationArea {
public:
    virtual ~NotificationArea() = default;
    // True when the request was carried out.
    virtual bool Notify(DWORD message, const NotifyIconData& data) = 0;
    // The menu of the icon (window, identifier), for hosts that draw an
    // icon's menu themselves instead of telling the icon to open it.
    virtual void SetMenu(HWND, UINT, std::weak_ptr<const PopupMenu>) {}
    // Whether the desktop showed no place for icons when one was added.
    virtual bool Missing() const { return false; }
};

// The area in force: the desktop's own until SetNotificationArea replaces it.
NotificationArea& Notifications();
// Installs an area (nullptr restores the desktop's) and returns the previous one.
NotificationArea* SetNotificationArea(NotificationArea* area);

inline bool Shell_NotifyIcon(DWORD message, const NotifyIconData& data) {
    return Notifications().Notify(message, data);
}
inline void SetNotifyIconMenu(HWND wnd, UINT id, std::weak_ptr<const PopupMenu> menu) {
    Notifications().SetMenu(wnd, id, std::move(menu));
}
inline bool NotificationAreaMissing() {
    return Notifications().Missing();
}

}  // namespace zelvo::platform
