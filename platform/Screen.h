#pragma once
#include <optional>

#include "platform/Types.h"

namespace zelvo::platform {

int ScreenWidth();
int ScreenHeight();

// The rectangle of the panel along the bottom edge of the screen (the
// taskbar), in screen coordinates; nothing when the desktop has none.
std::optional<TRect> FindTaskbarRect();

}  // namespace zelvo::platform
