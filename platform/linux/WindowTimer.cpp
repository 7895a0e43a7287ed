#include "platform/WindowTimer.h"

#include <QTimer>

#include "platform/MessageLoop.h"

namespace zelvo::platform {

class WindowTimer::Impl {
public:
    QTimer timer;
};

WindowTimer::WindowTimer(unsigned intervalMs, Handler onTimer)
    : interval_(intervalMs), onTimer_(std::move(onTimer)), impl_(std::make_unique<Impl>()) {
    impl_->timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&impl_->timer, &QTimer::timeout, [this] { Fire(); });
}

WindowTimer::~WindowTimer() = default;

void WindowTimer::SetInterval(unsigned ms) {
    if (ms == interval_)
        return;
    interval_ = ms;
    Restart();
}

void WindowTimer::SetEnabled(bool on) {
    if (on == enabled_)
        return;
    enabled_ = on;
    Restart();
}

void WindowTimer::SetOnTimer(Handler onTimer) {
    onTimer_ = std::move(onTimer);
    Restart();
}

void WindowTimer::Restart() {
    impl_->timer.stop();
    // A window timer of interval 0 does not tick.
    if (enabled_ && interval_ > 0 && onTimer_)
        impl_->timer.start(static_cast<int>(interval_));
}

void WindowTimer::Fire() {
    if (!enabled_ || !onTimer_)
        return;
    Handler handler = onTimer_;
    Guarded(handler);
}

}  // namespace zelvo::platform
