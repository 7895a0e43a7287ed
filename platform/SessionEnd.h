#pragma once
// The end of the desktop session, delivered as on the original platform:
// every registered window is sent WM_QUERYENDSESSION; when all answer
// non-zero, each is then sent WM_ENDSESSION with wParam 1 and the program
// ends; otherwise WM_ENDSESSION with wParam 0 tells them the session goes on.
//
// The platform starts this when the session manager asks the program to quit
// and on SIGTERM (which cannot be refused: the windows are asked, but
// WM_ENDSESSION carries 1 and the program ends whatever they answered).
#include "platform/Types.h"

namespace zelvo::platform {

void RegisterSessionWindow(HWND wnd);
void UnregisterSessionWindow(HWND wnd);

// Runs the exchange now. With mayRefuse false the session ends regardless of
// the answers. Returns whether the session ends; when it does, the
// application is told to terminate after the last WM_ENDSESSION.
bool DeliverSessionEnd(bool mayRefuse);

// Watches SIGTERM and the session manager from now on (the Application
// calls this; safe to call more than once).
void WatchSessionEnd();

}  // namespace zelvo::platform
