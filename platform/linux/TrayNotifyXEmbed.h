#pragma once
// The freedesktop system-tray protocol: the icon is a small window of our
// own that the tray embeds, so pointer motion, presses and double clicks on
// it reach us directly. When the tray goes away the icon waits for the next
// tray to announce itself and docks again.
#include <memory>

#include "platform/linux/TrayIconHost.h"
#include "platform/linux/X11Display.h"

namespace zelvo::platform {

class XEmbedTrayIcon : public TrayIconHost {
public:
    XEmbedTrayIcon(x11::Connection& connection, const NotifyIconData& data);
    ~XEmbedTrayIcon() override;

    void Update(const NotifyIconData& data) override;

    // Whether a tray owns the screen's tray selection now.
    static bool TrayPresent(x11::Connection& connection);
    // The icon's own window (0 while no tray is there to dock into).
    unsigned long IconWindow() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zelvo::platform
