#pragma once
// The desktop's own menu tracking, which each system's PopupMenu source
// supplies: opens the menu at the screen point and returns the chosen item,
// nullptr when the menu was dismissed.
#include "platform/PopupMenu.h"

namespace zelvo::platform {

const MenuItem* TrackWithDesktop(const PopupMenu& menu, TPoint at);

}  // namespace zelvo::platform
