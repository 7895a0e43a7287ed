#pragma once
// Message boxes that wait for nobody: windows of our own, modeless, so that
// the caller and the loop go on while one is open. A modal box's own loop
// would keep the timers running, and a failure that recurs every minute
// would stack a box inside a box. Texts are Windows-1252 bytes.
#include <string>

#include "platform/Types.h"

namespace zelvo::platform::win32 {

// The child showing a box's text, for GetDlgItem.
constexpr int kBoxTextId = 100;

// Opens the box of that name, or, while it is open, puts the new text,
// caption and icon in it. The flags choose the icon (MB_ICON*); the one
// button is OK. Returns the box's window, 0 if the system refused one.
HWND ShowLastingBox(const std::string& name, const std::string& text, const std::string& caption,
                    UINT flags);
// A box of its own on every call, which no later call replaces.
HWND ShowLooseBox(const std::string& text, const std::string& caption, UINT flags);
// The open box of that name, 0 when the user has closed it or none was shown.
HWND LastingBoxWindow(const std::string& name);
// Closes every box still open, named or not.
void CloseBoxes();

}  // namespace zelvo::platform::win32
