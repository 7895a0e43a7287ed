#include "platform/linux/X11Display.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cstdlib>
#include <map>

#include "platform/MessageLoop.h"

// Xlib last: its macros (None, Bool, Status...) clash with the toolkit's names.
#include <X11/Xlib.h>

namespace zelvo::platform::x11 {
namespace {

// Xlib's own handler ends the process on any protocol error; a tray that
// vanishes between two of our requests is an ordinary event here.
int IgnoreErrors(::Display*, XErrorEvent*) {
    return 0;
}

}  // namespace

class Connection::Impl {
public:
    std::unique_ptr<QSocketNotifier> notifier;
    std::map<int, Listener> listeners;
    int nextId = 1;
};

Connection::Connection(const char* displayName) : impl_(std::make_unique<Impl>()) {
    const char* name = displayName != nullptr ? displayName : std::getenv("DISPLAY");
    if (name == nullptr || name[0] == '\0')
        return;
    XSetErrorHandler(IgnoreErrors);
    display_ = XOpenDisplay(name);
    if (display_ == nullptr)
        return;
    impl_->notifier =
        std::make_unique<QSocketNotifier>(ConnectionNumber(display_), QSocketNotifier::Read);
    QObject::connect(impl_->notifier.get(), &QSocketNotifier::activated, [this] { ReadEvents(); });
}

Connection::~Connection() {
    impl_->notifier.reset();
    if (display_ != nullptr)
        XCloseDisplay(display_);
}

int Connection::Screen() const {
    return display_ != nullptr ? DefaultScreen(display_) : 0;
}

int Connection::AddListener(Listener listener) {
    int id = impl_->nextId++;
    impl_->listeners[id] = std::move(listener);
    return id;
}

void Connection::RemoveListener(int id) {
    impl_->listeners.erase(id);
}

void Connection::Flush() {
    if (display_ == nullptr)
        return;
    XFlush(display_);
    // A round trip may have read events into Xlib's queue, leaving nothing
    // on the socket to wake the notifier: handle them from the loop soon.
    if (XEventsQueued(display_, QueuedAlready) > 0)
        QTimer::singleShot(0, impl_->notifier.get(), [this] { ReadEvents(); });
}

void Connection::ReadEvents() {
    if (display_ == nullptr)
        return;
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        // Copy: a listener may add or remove listeners.
        auto listeners = impl_->listeners;
        // No structured binding here: Clang 14 cannot capture one in a lambda.
        for (auto& entry : listeners) {
            if (impl_->listeners.count(entry.first) != 0)
                Guarded([&] { entry.second(event); });
        }
    }
}

Connection* Shared() {
    // Lives as long as the process: closing it at exit, after the toolkit
    // is gone, would only race the toolkit's own teardown.
    static Connection* shared = [] {
        auto c = std::make_unique<Connection>(nullptr);
        return c->Valid() ? c.release() : nullptr;
    }();
    return shared;
}

}  // namespace zelvo::platform::x11
