#include "platform/Workspace.h"

#include <QGuiApplication>
#include <vector>

#include "platform/linux/X11Display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace zelvo::platform {
namespace {

constexpr unsigned long kAllDesktops = 0xFFFFFFFFul;
constexpr long kNetWmStateAdd = 1;
constexpr long kSourceApplication = 1;

void SendToRoot(::Display* d, Window w, Atom type, long l0, long l1, long l2, long l3) {
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    e.xclient.data.l[0] = l0;
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &e);
}

// The window's states with sticky added; the toolkit keeps the ones it finds.
std::vector<Atom> StatesWith(::Display* d, Window w, Atom state, Atom sticky) {
    std::vector<Atom> states;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr && format == 32) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        states.assign(atoms, atoms + count);
    }
    if (data != nullptr)
        XFree(data);
    bool present = false;
    for (Atom a : states)
        present = present || a == sticky;
    if (!present)
        states.push_back(sticky);
    return states;
}

}  // namespace

void ShowOnEveryWorkspace(std::uintptr_t nativeWindow) {
    if (nativeWindow == 0 || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    x11::Connection* x = x11::Shared();
    if (x == nullptr)
        return;
    ::Display* d = x->Display();
    auto w = static_cast<Window>(nativeWindow);
    Atom desktop = XInternAtom(d, "_NET_WM_DESKTOP", False);
    Atom state = XInternAtom(d, "_NET_WM_STATE", False);
    Atom sticky = XInternAtom(d, "_NET_WM_STATE_STICKY", False);

    // Read by a desktop when it takes the window on.
    unsigned long all = kAllDesktops;
    XChangeProperty(d, w, desktop, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&all), 1);
    std::vector<Atom> states = StatesWith(d, w, state, sticky);
    XChangeProperty(d, w, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(states.data()),
                    static_cast<int>(states.size()));
    // A desktop already managing the window takes requests instead.
    SendToRoot(d, w, desktop, static_cast<long>(kAllDesktops), kSourceApplication, 0, 0);
    SendToRoot(d, w, state, kNetWmStateAdd, static_cast<long>(sticky), 0, kSourceApplication);
    x->Flush();
}

}  // namespace zelvo::platform
