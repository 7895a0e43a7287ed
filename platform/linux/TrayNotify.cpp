#include "platform/TrayNotify.h"

#include <map>
#include <utility>

#include "platform/linux/TrayIconHost.h"
#include "platform/linux/TrayNotifySni.h"
#include "platform/linux/TrayNotifyXEmbed.h"
#include "platform/linux/X11Display.h"

namespace zelvo::platform {
namespace {

// The desktop's own area: picks, for each icon added, the protocol the
// running desktop speaks: window embedding first, then the bus item. With
// neither the program still runs; the program asks Missing() and tells
// the user where the menu is instead.
class DesktopArea : public NotificationArea {
public:
    bool Notify(DWORD message, const NotifyIconData& data) override {
        auto key = std::make_pair(data.hWnd, data.uID);
        switch (message) {
            case NIM_ADD: {
                if (icons_.count(key) != 0)
                    return false;
                std::unique_ptr<TrayIconHost> host = CreateHost(data);
                if (!host)
                    return false;
                if (auto menu = menus_.find(key); menu != menus_.end())
                    host->SetMenu(menu->second);
                icons_.emplace(key, std::move(host));
                return true;
            }
            case NIM_MODIFY: {
                auto it = icons_.find(key);
                if (it == icons_.end())
                    return false;
                it->second->Update(data);
                return true;
            }
            case NIM_DELETE:
                return icons_.erase(key) != 0;
            default:
                return false;
        }
    }

    void SetMenu(HWND wnd, UINT id, std::weak_ptr<const PopupMenu> menu) override {
        auto key = std::make_pair(wnd, id);
        if (auto it = icons_.find(key); it != icons_.end())
            it->second->SetMenu(menu);
        if (menu.expired())
            menus_.erase(key);
        else
            menus_[key] = std::move(menu);
    }

    bool Missing() const override { return missing_; }

private:
    std::unique_ptr<TrayIconHost> CreateHost(const NotifyIconData& data) {
        x11::Connection* x = x11::Shared();
        if (x != nullptr && XEmbedTrayIcon::TrayPresent(*x))
            return std::make_unique<XEmbedTrayIcon>(*x, data);
        if (StatusNotifierHostPresent()) {
            if (auto host = CreateStatusNotifierIcon(data))
                return host;
        }
        missing_ = true;
        // Under X the icon still waits for a tray to start and docks then.
        if (x != nullptr)
            return std::make_unique<XEmbedTrayIcon>(*x, data);
        return nullptr;
    }

    std::map<std::pair<HWND, UINT>, std::unique_ptr<TrayIconHost>> icons_;
    std::map<std::pair<HWND, UINT>, std::weak_ptr<const PopupMenu>> menus_;
    bool missing_ = false;
};

DesktopArea& Desktop() {
    // Lives as long as the process, like the desktop's own area.
    static DesktopArea* area = new DesktopArea;
    return *area;
}

NotificationArea* current = nullptr;

}  // namespace

std::unique_ptr<NotificationArea> CreateDesktopArea() {
    return std::make_unique<DesktopArea>();
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
