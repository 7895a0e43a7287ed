#pragma once
// Moving what a window shows without the toolkit's repaint: the display
// server shifts the window's own pixels sideways and only the columns this
// uncovers are sent. For a strip that moves a few pixels many times a
// second this is nearly free, where a repaint costs a whole frame's work.
#include <cstdint>

namespace zelvo::platform {

// Pixels as 0x00RRGGBB words, rows `stride` words apart.
struct TPixels {
    const std::uint32_t* Data = nullptr;
    int Width = 0;
    int Height = 0;
    int Stride = 0;
};

// Shifts the area [0, width) x [0, height) of the native window by dx
// pixels (negative: to the left) and puts `uncovered` at x = at. False when
// the display cannot do it; the caller then repaints as usual.
bool ShiftWindowPixels(std::uintptr_t nativeWindow, int dx, int width, int height,
                       const TPixels& uncovered, int at);

}  // namespace zelvo::platform
