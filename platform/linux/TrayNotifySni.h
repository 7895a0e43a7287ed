#pragma once
// The desktop-bus status item, for desktops whose tray hosts items over the
// session bus instead of embedding windows. Activation arrives as a left
// button down and up, the context request as a right button down; the host
// reports no hovering.
#include <memory>

#include "platform/linux/TrayIconHost.h"

namespace zelvo::platform {

// Whether a status-item host runs on the session bus.
bool StatusNotifierHostPresent();
// Registers the item with the host; nullptr when that fails.
std::unique_ptr<TrayIconHost> CreateStatusNotifierIcon(const NotifyIconData& data);

}  // namespace zelvo::platform
