#include "platform/WindowTimer.h"

#include "platform/MessageLoop.h"

// The timer's rules, the same on every system; starting, stopping and the
// tick itself are each system's (Restart, and the Impl that calls Fire).
namespace zelvo::platform {

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

void WindowTimer::Fire() {
    // A tick queued before the timer stopped may still arrive; it is not one.
    if (!enabled_ || !onTimer_)
        return;
    Handler handler = onTimer_;
    Guarded(handler);
}

}  // namespace zelvo::platform
