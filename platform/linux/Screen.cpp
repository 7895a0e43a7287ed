#include "platform/Screen.h"

#include <QGuiApplication>
#include <QScreen>

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

}  // namespace zelvo::platform
