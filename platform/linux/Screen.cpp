#include "platform/Screen.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/linux/X11Display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace zelvo::platform {
namespace {

QScreen* Primary() {
    return QGuiApplication::primaryScreen();
}

}  // namespace

int ScreenWidth() {
    return Primary() != nullptr ? Primary()->geometry().width() : 1024;
}

int ScreenHeight() {
    return Primary() != nullptr ? Primary()->geometry().height() : 768;
}

TPoint ScreenOrigin() {
    if (Primary() == nullptr)
        return {};
    QPoint origin = Primary()->geometry().topLeft();
    return {origin.x(), origin.y()};
}

double ScreenRefreshRate() {
    return Primary() != nullptr ? Primary()->refreshRate() : 0;
}

std::optional<TRect> FindTaskbarRect() {
    QScreen* screen = Primary();
    if (screen == nullptr)
        return std::nullopt;
    // A bottom panel is what the screen's available area leaves out below it.
    QRect all = screen->geometry();
    QRect avail = screen->availableGeometry();
    int allBottom = all.y() + all.height();
    int availBottom = avail.y() + avail.height();
    if (availBottom >= allBottom)
        return std::nullopt;
    return TRect{all.x(), availBottom, all.x() + all.width(), allBottom};
}

bool WorkAreaPublished() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    x11::Connection* x = x11::Shared();
    if (x == nullptr)
        return false;
    ::Display* d = x->Display();
    const Atom workArea = XInternAtom(d, "_NET_WORKAREA", True);
    if (workArea == None)
        return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool published =
        XGetWindowProperty(d, DefaultRootWindow(d), workArea, 0, 4, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success &&
        type == XA_CARDINAL && format == 32 && count >= 4;
    if (data != nullptr)
        XFree(data);
    return published;
}

}  // namespace zelvo::platform
