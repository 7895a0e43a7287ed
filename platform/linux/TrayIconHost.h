#pragma once
// One icon shown in some notification area. The desktop's area picks the
// kind of host that the running desktop supports when an icon is added.
#include <memory>

#include "platform/TrayNotify.h"

namespace zelvo::platform {

class TrayIconHost {
public:
    virtual ~TrayIconHost() = default;
    // Takes the members that data's flags name, as NIM_MODIFY does.
    virtual void Update(const NotifyIconData& data) = 0;
    // Hosts that draw the menu themselves take it from here.
    virtual void SetMenu(std::weak_ptr<const PopupMenu>) {}
};

// A fresh area of the desktop's own kind, for tests; the program uses the
// one behind Notifications().
std::unique_ptr<NotificationArea> CreateDesktopArea();

// Takes into record the members that data's flags name; the tip always
// stays terminated.
void MergeNotifyIconData(NotifyIconData& record, const NotifyIconData& data);

// Passes one mouse message to the icon's window, if the record asked for
// callbacks.
void PostTrayCallback(const NotifyIconData& data, UINT mouseMessage);

}  // namespace zelvo::platform
