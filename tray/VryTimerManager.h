#pragma once
// Several independent timeouts on one window timer: each item has its own
// interval, enabled flag and callback; the shared timer ticks at the shortest
// enabled interval, and never more slowly than every 150 ms while any item
// is enabled.
#include <functional>
#include <memory>
#include <vector>

#include "platform/Types.h"
#include "platform/WindowTimer.h"
#include "tray/VryObject.h"

namespace zelvo::tray {

using TVryTimerInterval = int;  // milliseconds

class TVryTimerManager;

class TVryTimerItem : public TVryObject {
public:
    using TCallback = std::function<void(TVryTimerItem* sender)>;

    TVryTimerManager& Manager() const { return manager_; }
    TVryTimerInterval Interval() const { return interval_; }
    void SetInterval(TVryTimerInterval value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    // The tick count at which the current period began.
    double StartTime() const { return startTime_; }

private:
    friend class TVryTimerManager;
    TVryTimerItem(TVryTimerManager& manager, TCallback callback)
        : manager_(manager), callback_(std::move(callback)) {}

    TVryTimerManager& manager_;
    TVryTimerInterval interval_ = 0;
    bool enabled_ = false;
    TCallback callback_;
    double startTime_ = 0;
};

class TVryTimerManager : public TVryObject {
public:
    // The longest the shared timer waits between ticks while an item runs.
    static constexpr TVryTimerInterval kCeiling = 150;

    TVryTimerManager();
    ~TVryTimerManager() override;

    // The item lives as long as the manager.
    TVryTimerItem& AddItem(bool enabled, TVryTimerInterval interval,
                           TVryTimerItem::TCallback callback);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);

    void Recompute();
    void Tick();

    // The shared timer's state, and the clock the periods are measured with
    // (the tick count unless replaced, which tests do).
    bool TimerEnabled() const { return timer_.Enabled(); }
    unsigned TimerInterval() const { return timer_.Interval(); }
    using TClock = std::function<platform::DWORD()>;
    void SetClock(TClock clock);

private:
    double Now() const;

    bool enabled_ = false;
    std::vector<std::unique_ptr<TVryTimerItem>> items_;
    platform::WindowTimer timer_;
    TClock clock_;
    // Shared with a running Tick, which must stop if a callback destroys us.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zelvo::tray
