#include "platform/WindowTimer.h"

#include <QTimer>

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

void WindowTimer::Restart() {
    impl_->timer.stop();
    // A window timer of interval 0 does not tick.
    if (enabled_ && interval_ > 0 && onTimer_)
        impl_->timer.start(static_cast<int>(interval_));
}

}  // namespace zelvo::platform
