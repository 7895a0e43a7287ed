#pragma once
// The system's pop-up menu made from a PopupMenu, apart from tracking it, so
// that what the user will see can be checked without opening it.
#include "platform/PopupMenu.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform::win32 {

// Item i gets the command i + 1; 0 is the system's "nothing chosen". The
// caller destroys the menu.
HMENU BuildNativeMenu(const PopupMenu& menu);

// The item a command of BuildNativeMenu's stands for; nullptr for none.
const MenuItem* ItemForCommand(const PopupMenu& menu, UINT command);

}  // namespace zelvo::platform::win32
