#pragma once
// A window timer: ticks from the message loop every Interval milliseconds
// while enabled. Enabling it, or giving it a new interval, restarts the period.
#include <functional>
#include <memory>

namespace zelvo::platform {

class WindowTimer {
public:
    using Handler = std::function<void()>;

    explicit WindowTimer(unsigned intervalMs = 1000, Handler onTimer = {});
    ~WindowTimer();
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;

    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    void SetOnTimer(Handler onTimer);

private:
    class Impl;
    void Restart();
    void Fire();

    unsigned interval_;
    bool enabled_ = false;
    Handler onTimer_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zelvo::platform
