#include "tray/VryTimerManager.h"

#include <algorithm>

#include "platform/MessageLoop.h"

namespace zelvo::tray {
namespace {

// The window timer's own floor: shorter periods tick at this rate, and a
// period of 0 does not stop the timer for every other item.
constexpr TVryTimerInterval kTimerMinimum = 10;

}  // namespace

void TVryTimerItem::SetInterval(TVryTimerInterval value) {
    if (value == interval_)
        return;
    interval_ = value;
    if (enabled_)
        manager_.Recompute();
}

void TVryTimerItem::SetEnabled(bool value) {
    if (value == enabled_)
        return;
    enabled_ = value;
    manager_.Recompute();
}

TVryTimerManager::TVryTimerManager() : timer_(1000, [this] { Tick(); }) {}

TVryTimerManager::~TVryTimerManager() {
    *alive_ = false;
    timer_.SetEnabled(false);
}

TVryTimerItem& TVryTimerManager::AddItem(bool enabled, TVryTimerInterval interval,
                                         TVryTimerItem::TCallback callback) {
    items_.push_back(std::unique_ptr<TVryTimerItem>(new TVryTimerItem(*this, std::move(callback))));
    TVryTimerItem& item = *items_.back();
    item.enabled_ = enabled;
    item.interval_ = interval;
    if (enabled)
        Recompute();
    return item;
}

void TVryTimerManager::SetEnabled(bool value) {
    if (value == enabled_)
        return;
    enabled_ = value;
    if (enabled_)
        Recompute();
}

void TVryTimerManager::SetClock(TClock clock) {
    clock_ = std::move(clock);
}

double TVryTimerManager::Now() const {
    return clock_ ? clock_() : platform::GetTickCount();
}

void TVryTimerManager::Recompute() {
    if (!enabled_)
        return;
    timer_.SetEnabled(false);
    TVryTimerInterval best = kCeiling;
    bool found = false;
    double now = Now();
    for (auto& item : items_) {
        if (!item->enabled_)
            continue;
        found = true;
        best = std::min(best, item->interval_);
        item->startTime_ = now;
    }
    if (found) {
        timer_.SetInterval(static_cast<unsigned>(std::max(best, kTimerMinimum)));
        timer_.SetEnabled(true);
    }
}

void TVryTimerManager::Tick() {
    std::shared_ptr<bool> alive = alive_;
    // By index: a callback may add items, and enabling or disabling items
    // (its own included) recomputes at once.
    for (size_t i = 0; i < items_.size(); ++i) {
        TVryTimerItem& item = *items_[i];
        if (!item.enabled_ || Now() - item.startTime_ < item.interval_)
            continue;
        if (item.callback_) {
            auto callback = item.callback_;
            callback(&item);
        }
        if (!*alive)
            return;
        item.startTime_ = Now();
    }
}

}  // namespace zelvo::tray
