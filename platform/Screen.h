#pragma once
#include <optional>

#include "platform/Types.h"

namespace zelvo::platform {

// The screen the strip belongs to: the primary one, which need not be the
// one at the desktop's origin.
int ScreenWidth();
int ScreenHeight();
// Its top-left corner in desktop coordinates.
TPoint ScreenOrigin();

// How many pictures a second the screen shows; 0 when it does not say.
double ScreenRefreshRate();

// The rectangle of the panel along the bottom edge of the screen (the
// taskbar), in screen coordinates; nothing when the desktop has none.
std::optional<TRect> FindTaskbarRect();
// Whether the desktop tells its clients which part of the screen its panels
// leave free. When it does and FindTaskbarRect finds nothing, the bottom
// edge is free (a panel only at the top, or none).
bool WorkAreaPublished();

}  // namespace zelvo::platform
