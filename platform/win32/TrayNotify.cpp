#include "platform/TrayNotify.h"

#include <map>
#include <memory>
#include <utility>

#include "platform/Cp1252.h"
#include "platform/win32/ShellHooks.h"
#include "platform/win32/ShellWindow.h"

// The system's headers come with it: after the platform's own.
#include "platform/win32/IconData.h"

// After the system's main header, which it needs.
#include <shellapi.h>

namespace zelvo::platform {
namespace {

// What the shell holds of an icon, kept so that the icon can be given to it
// again when the taskbar restarts (Explorer crashed or was restarted) and
// forgot every icon it had.
NOTIFYICONDATAW ShellData(const NotifyIconData& data) {
    NOTIFYICONDATAW shell{};
    shell.cbSize = sizeof shell;
    shell.hWnd = reinterpret_cast<::HWND>(data.hWnd);
    shell.uID = data.uID;
    shell.uFlags = data.uFlags & (NIF_MESSAGE | NIF_ICON | NIF_TIP);
    shell.uCallbackMessage = data.uCallbackMessage;
    shell.hIcon = NativeIcon(data.hIcon, ::GetSystemMetrics(SM_CXSMICON));
    if (shell.hIcon == nullptr)
        shell.uFlags &= ~static_cast<UINT>(NIF_ICON);
    const std::u16string tip =
        Cp1252ToUtf16(std::string_view(data.szTip, strnlen(data.szTip, sizeof data.szTip)));
    const size_t n = std::min(tip.size(), std::size(shell.szTip) - 1);
    for (size_t i = 0; i < n; ++i)
        shell.szTip[i] = static_cast<wchar_t>(tip[i]);
    return shell;
}

// The taskbar's window, when the shell runs one.
bool TaskbarRunning() {
    return ::FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}

class DesktopArea : public NotificationArea {
public:
    DesktopArea()
        : taskbarCreated_(::RegisterWindowMessageW(L"TaskbarCreated")),
          window_([this](UINT msg, WPARAM, LPARAM, LRESULT*) {
              if (msg == taskbarCreated_ && taskbarCreated_ != 0)
                  AddAgain();
              return false;
          }) {}

    bool Notify(DWORD message, const NotifyIconData& data) override {
        auto key = std::make_pair(data.hWnd, data.uID);
        switch (message) {
            case NIM_ADD: {
                if (icons_.count(key) != 0)
                    return false;
                Icon icon{data, ShellData(data)};
                if (!::Shell_NotifyIconW(NIM_ADD, &icon.shell)) {
                    // Without a taskbar the icon waits for one to start.
                    if (TaskbarRunning())
                        return false;
                    missing_ = true;
                }
                icons_.emplace(key, std::move(icon));
                return true;
            }
            case NIM_MODIFY: {
                auto it = icons_.find(key);
                if (it == icons_.end())
                    return false;
                // The icon handle lives in the platform icon, kept here as long as the shell shows
                // it.
                NotifyIconData merged = it->second.data;
                if (data.uFlags & NIF_MESSAGE)
                    merged.uCallbackMessage = data.uCallbackMessage;
                if (data.uFlags & NIF_ICON)
                    merged.hIcon = data.hIcon;
                if (data.uFlags & NIF_TIP)
                    std::copy(std::begin(data.szTip), std::end(data.szTip), merged.szTip);
                merged.uFlags |= data.uFlags;
                NOTIFYICONDATAW shell = ShellData(data);
                const bool done = ::Shell_NotifyIconW(NIM_MODIFY, &shell) != 0;
                if (!done && TaskbarRunning())
                    return false;
                it->second = Icon{merged, ShellData(merged)};
                return true;
            }
            case NIM_DELETE: {
                auto it = icons_.find(key);
                if (it == icons_.end())
                    return false;
                NOTIFYICONDATAW shell{};
                shell.cbSize = sizeof shell;
                shell.hWnd = reinterpret_cast<::HWND>(data.hWnd);
                shell.uID = data.uID;
                ::Shell_NotifyIconW(NIM_DELETE, &shell);
                icons_.erase(it);
                return true;
            }
            default:
                return false;
        }
    }

    bool Missing() const override { return missing_; }

    // The window the restarted taskbar's broadcast reaches.
    HWND Listener() const { return window_.Handle(); }

private:
    struct Icon {
        NotifyIconData data;
        NOTIFYICONDATAW shell;
    };

    void AddAgain() {
        for (auto& [key, icon] : icons_) {
            icon.shell = ShellData(icon.data);
            ::Shell_NotifyIconW(NIM_ADD, &icon.shell);
        }
        missing_ = false;
    }

    UINT taskbarCreated_;
    win32::ShellWindow window_;
    std::map<std::pair<HWND, UINT>, Icon> icons_;
    bool missing_ = false;
};

DesktopArea& Desktop() {
    // Lives as long as the process, like the desktop's own area.
    static DesktopArea* area = new DesktopArea;
    return *area;
}

NotificationArea* current = nullptr;

}  // namespace

HWND win32::TaskbarCreatedListener() {
    return Desktop().Listener();
}

NotificationArea& Notifications() {
    return current != nullptr ? *current : Desktop();
}

NotificationArea* SetNotificationArea(NotificationArea* area) {
    NotificationArea* previous = current != nullptr ? current : &Desktop();
    current = area;
    return previous;
}

}  // namespace zelvo::platform
