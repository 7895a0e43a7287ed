#include "platform/WindowPixels.h"

#include <QGuiApplication>
#include <algorithm>

#include <xcb/xcb.h>
#include <xcb/xproto.h>

namespace zelvo::platform {
namespace {

// The toolkit's own connection: its requests and these stay in order, so a
// repaint of the toolkit's never lands beneath a shift made after it.
xcb_connection_t* Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

// Whether the screen takes 0x00RRGGBB words as they are.
bool PlainTrueColour(xcb_connection_t* c) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
    if (screen == nullptr || screen->root_depth != 24)
        return false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
        if (f.data->depth == 24)
            return f.data->bits_per_pixel == 32;
    }
    return false;
}

}  // namespace

bool ShiftWindowPixels(std::uintptr_t nativeWindow, int dx, int width, int height,
                       const TPixels& uncovered, int at) {
    static xcb_connection_t* const c = Connection();
    static const bool usable = c != nullptr && PlainTrueColour(c);
    if (!usable || nativeWindow == 0 || width <= 0 || height <= 0)
        return false;
    const auto window = static_cast<xcb_window_t>(nativeWindow);
    static xcb_gcontext_t gc = 0;
    if (gc == 0) {
        gc = xcb_generate_id(c);
        // No exposure events come back: the uncovered part is sent with the shift.
        const std::uint32_t values[] = {0};
        xcb_create_gc(c, gc, window, XCB_GC_GRAPHICS_EXPOSURES, values);
    }
    const int moved = width - (dx < 0 ? -dx : dx);
    if (moved > 0 && dx != 0) {
        const auto from = static_cast<std::int16_t>(dx < 0 ? -dx : 0);
        const auto to = static_cast<std::int16_t>(dx < 0 ? 0 : dx);
        xcb_copy_area(c, window, window, gc, from, 0, to, 0, static_cast<std::uint16_t>(moved),
                      static_cast<std::uint16_t>(height));
    }
    if (uncovered.Data != nullptr && uncovered.Width > 0 && uncovered.Height > 0) {
        // One request per run of rows that fits well within a request.
        const int rowsPerRequest = std::max(1, 65536 / (uncovered.Width * 4));
        for (int y = 0; y < uncovered.Height; y += rowsPerRequest) {
            const int rows = std::min(rowsPerRequest, uncovered.Height - y);
            if (uncovered.Stride == uncovered.Width) {
                xcb_put_image(
                    c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc,
                    static_cast<std::uint16_t>(uncovered.Width), static_cast<std::uint16_t>(rows),
                    static_cast<std::int16_t>(at), static_cast<std::int16_t>(y), 0, 24,
                    static_cast<std::uint32_t>(uncovered.Width * rows * 4),
                    reinterpret_cast<const std::uint8_t*>(uncovered.Data + y * uncovered.Stride));
            } else {
                for (int r = 0; r < rows; ++r)
                    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc,
                                  static_cast<std::uint16_t>(uncovered.Width), 1,
                                  static_cast<std::int16_t>(at), static_cast<std::int16_t>(y + r),
                                  0, 24, static_cast<std::uint32_t>(uncovered.Width * 4),
                                  reinterpret_cast<const std::uint8_t*>(
                                      uncovered.Data + (y + r) * uncovered.Stride));
            }
        }
    }
    xcb_flush(c);
    return true;
}

}  // namespace zelvo::platform
