#include "platform/linux/TrayNotifySni.h"

namespace zelvo::platform {

bool StatusNotifierHostPresent() {
    return false;
}

std::unique_ptr<TrayIconHost> CreateStatusNotifierIcon(const NotifyIconData&) {
    return nullptr;
}

}  // namespace zelvo::platform
