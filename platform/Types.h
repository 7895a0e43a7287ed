#pragma once
// The handful of Windows-style scalar types and message numbers the program is
// written against. They are plain integers so the subsystems stay free of any
// toolkit or operating-system header.
#include <cstdint>

namespace zelvo::platform {

using HWND = std::uintptr_t;  // 0 is "no window"
using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using DWORD = std::uint32_t;

struct TPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUERYENDSESSION = 0x0011;
constexpr UINT WM_ENDSESSION = 0x0016;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_USER = 0x0400;

constexpr WPARAM MakeWParam(unsigned lo, unsigned hi) {
    return (lo & 0xFFFF) | ((hi & 0xFFFF) << 16);
}
constexpr LPARAM MakeLParam(unsigned lo, unsigned hi) {
    return static_cast<LPARAM>((lo & 0xFFFFu) | ((hi & 0xFFFFu) << 16));
}
constexpr unsigned LoWord(std::uintptr_t v) {
    return static_cast<unsigned>(v & 0xFFFF);
}
constexpr unsigned HiWord(std::uintptr_t v) {
    return static_cast<unsigned>((v >> 16) & 0xFFFF);
}

}  // namespace zelvo::platform
