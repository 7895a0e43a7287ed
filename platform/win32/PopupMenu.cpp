#include "platform/PopupMenu.h"

#include <string>

#include "platform/Cp1252.h"
#include "platform/common/MenuTracking.h"
#include "platform/win32/ShellWindow.h"

// The system's headers come with it: after the platform's own.
#include "platform/win32/NativeMenu.h"

namespace zelvo::platform {
namespace {

std::wstring WideCaption(const std::string& caption) {
    const std::u16string text = Cp1252ToUtf16(caption);
    return std::wstring(text.begin(), text.end());
}

}  // namespace

const MenuItem* TrackWithDesktop(const PopupMenu& menu, TPoint at) {
    // The menu's owner: a window of this thread that can take the foreground.
    static win32::ShellWindow* owner =
        new win32::ShellWindow([](UINT, WPARAM, LPARAM, LRESULT*) { return false; });
    ::HWND wnd = reinterpret_cast<::HWND>(owner->Handle());
    HMENU native = win32::BuildNativeMenu(menu);
    if (native == nullptr || wnd == nullptr)
        return nullptr;
    // Without the foreground a menu opened from the tray stays open when the
    // user clicks elsewhere; the posted message afterwards lets a second
    // click on the icon open it again.
    ::SetForegroundWindow(wnd);
    const UINT command = static_cast<UINT>(::TrackPopupMenuEx(
        native, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, wnd, nullptr));
    ::PostMessageW(wnd, WM_NULL, 0, 0);
    ::DestroyMenu(native);
    return win32::ItemForCommand(menu, command);
}

namespace win32 {

HMENU BuildNativeMenu(const PopupMenu& menu) {
    HMENU native = ::CreatePopupMenu();
    if (native == nullptr)
        return nullptr;
    for (size_t i = 0; i < menu.Count(); ++i) {
        const MenuItem& item = menu.Item(i);
        const auto command = static_cast<UINT_PTR>(i + 1);
        if (item.IsSeparator()) {
            ::AppendMenuW(native, MF_SEPARATOR, command, nullptr);
            continue;
        }
        UINT flags = MF_STRING;
        if (item.Checked())
            flags |= MF_CHECKED;
        if (!item.Enabled())
            flags |= MF_GRAYED;
        ::AppendMenuW(native, flags, command, WideCaption(item.Caption()).c_str());
        if (item.Default())
            ::SetMenuDefaultItem(native, static_cast<UINT>(command), FALSE);
    }
    return native;
}

const MenuItem* ItemForCommand(const PopupMenu& menu, UINT command) {
    if (command == 0 || command > menu.Count())
        return nullptr;
    return &menu.Item(command - 1);
}

}  // namespace win32

}  // namespace zelvo::platform
