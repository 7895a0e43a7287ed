#pragma once
// The desktop-bus status item, for desktops whose tray hosts items over the
// session bus instead of embedding windows. Activation arrives as a left
// button down and up, the context request as a right button down; the host
// reports no hovering.
#include <memory>

#include "platform/linux/TrayIconHost.h"

namespace zelvo::platform {

#include <string>

// busAddress names the bus to use; empty means the session bus.
// Whether a status-item host runs on the bus.
bool StatusNotifierHostPresent(const std::string& busAddress = {});
// Registers the item with the host; nullptr when that fails.
std::unique_ptr<TrayIconHost> CreateStatusNotifierIcon(const NotifyIconData& data,
                                                       const std::string& busAddress = {});

}  // namespace zelvo::platform
