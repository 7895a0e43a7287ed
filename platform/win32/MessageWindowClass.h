#pragma once
// The hidden windows behind MessageWindow, for the sources of this folder
// that need a window of their own without the class around it.
#include "platform/MessageLoop.h"

namespace zelvo::platform::win32 {

// A message-only window whose messages run *proc inside the loop's catch;
// 0 when the system refuses one. The procedure must outlive the window.
HWND CreateMessageWindow(MessageWindow::WndProc* proc);
void DestroyMessageWindow(HWND wnd);

}  // namespace zelvo::platform::win32
