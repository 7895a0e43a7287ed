#pragma once
// What the desktop does with a top-level window beyond its place and size.
#include <cstdint>

namespace zelvo::platform {

// Shows the window (its native id) on every workspace. Call it before the
// window is first shown and again once it is: the first sets what the
// desktop reads when it takes the window on, the second asks a desktop that
// already manages it. Desktops without workspaces ignore it.
void ShowOnEveryWorkspace(std::uintptr_t nativeWindow);

}  // namespace zelvo::platform
