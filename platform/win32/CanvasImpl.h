#pragma once
// The system's side of the canvas: a device context on a bitmap's DIB
// section or on a window being painted, with the fonts it sets text in.
#include <cstdint>
#include <memory>

#include "platform/Graphics.h"
#include "platform/win32/Win32.h"
// The system's name for its own call would rename the canvas's.
#undef TextOut

namespace zelvo::platform {

// A DIB section of 32-bit pixels, top row first, always selected into a
// memory DC of its own: drawing on it and drawing it elsewhere both use that
// DC.
struct TBitmap::Impl {
    Impl() = default;
    Impl(int width, int height);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    std::uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;
};

struct TCanvas::Impl {
    // Keeps the DC's state to give it back as found.
    explicit Impl(HDC dc);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    HDC dc;
    int saved;
    HFONT font = nullptr;
    HFONT underlined = nullptr;
};

namespace win32 {

// A canvas drawing on a DC that outlives it.
inline TCanvas CanvasOn(HDC dc) {
    return TCanvas(std::make_unique<TCanvas::Impl>(dc));
}

}  // namespace win32
}  // namespace zelvo::platform
