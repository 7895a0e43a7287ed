#include "platform/Input.h"

#include <QCursor>
#include <QGuiApplication>

#include "platform/linux/X11Display.h"

#include <X11/Xlib.h>

namespace zelvo::platform {
namespace {

struct PointerState {
    bool valid = false;
    TPoint pos;
    unsigned mask = 0;
};

// The server's view, which also knows about buttons held over other
// programs' windows (the toolkit only knows its own windows' buttons).
PointerState QueryServer() {
    PointerState state;
    x11::Connection* c = x11::Shared();
    if (c == nullptr)
        return state;
    ::Display* d = c->Display();
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned mask = 0;
    if (XQueryPointer(d, DefaultRootWindow(d), &root, &child, &rootX, &rootY, &winX, &winY,
                      &mask) == 0)
        return state;
    state.valid = true;
    state.pos = {rootX, rootY};
    state.mask = mask;
    return state;
}

class DesktopInput : public InputService {
public:
    bool CursorPos(TPoint& pos) override {
        if (PointerState s = QueryServer(); s.valid) {
            pos = s.pos;
            return true;
        }
        if (QGuiApplication::instance() == nullptr)
            return false;
        QPoint p = QCursor::pos();
        pos = {p.x(), p.y()};
        return true;
    }

    bool KeyDown(int virtualKey) override {
        if (PointerState s = QueryServer(); s.valid) {
            switch (virtualKey) {
                case VK_SHIFT:
                    return (s.mask & ShiftMask) != 0;
                case VK_CONTROL:
                    return (s.mask & ControlMask) != 0;
                case VK_MENU:
                    return (s.mask & Mod1Mask) != 0;
                case VK_LBUTTON:
                    return (s.mask & Button1Mask) != 0;
                case VK_RBUTTON:
                    return (s.mask & Button3Mask) != 0;
                case VK_MBUTTON:
                    return (s.mask & Button2Mask) != 0;
                default:
                    return false;
            }
        }
        if (QGuiApplication::instance() == nullptr)
            return false;
        Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
        Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
        switch (virtualKey) {
            case VK_SHIFT:
                return mods.testFlag(Qt::ShiftModifier);
            case VK_CONTROL:
                return mods.testFlag(Qt::ControlModifier);
            case VK_MENU:
                return mods.testFlag(Qt::AltModifier);
            case VK_LBUTTON:
                return buttons.testFlag(Qt::LeftButton);
            case VK_RBUTTON:
                return buttons.testFlag(Qt::RightButton);
            case VK_MBUTTON:
                return buttons.testFlag(Qt::MiddleButton);
            default:
                return false;
        }
    }
};

DesktopInput desktopInput;
InputService* current = &desktopInput;

}  // namespace

InputService& Input() {
    return *current;
}

InputService* SetInputService(InputService* service) {
    InputService* previous = current;
    current = service != nullptr ? service : &desktopInput;
    return previous;
}

}  // namespace zelvo::platform
