#include "platform/Workspace.h"

namespace zelvo::platform {

// Windows' virtual desktops show a topmost tool window of a program on the
// desktop it was made on; the system offers programs no call to pin one to
// all of them, so the strip stays where it started.
void ShowOnEveryWorkspace(std::uintptr_t) {}

}  // namespace zelvo::platform
