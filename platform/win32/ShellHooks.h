#pragma once
// The hidden top-level windows through which the shell talks to the
// program, for tests that play the shell's part.
#include "platform/Types.h"

namespace zelvo::platform::win32 {

// Hears the broadcast of a restarted taskbar and adds the tray icons again.
HWND TaskbarCreatedListener();
// Answers WM_QUERYENDSESSION and WM_ENDSESSION for the registered windows.
HWND SessionEndWatcher();

}  // namespace zelvo::platform::win32
