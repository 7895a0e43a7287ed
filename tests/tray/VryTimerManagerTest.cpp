#include "tray/VryTimerManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/TrayFakes.h"
#include "platform/MessageLoop.h"

namespace zelvo::tray {
namespace {

using testing::ManualClock;

class TimerManagerTest : public ::testing::Test {
protected:
    TimerManagerTest() : clock(timers) { timers.SetEnabled(true); }

    TVryTimerItem& Add(const std::string& name, int interval, bool enabled = false) {
        return timers.AddItem(enabled, interval,
                              [this, name](TVryTimerItem*) { fired.push_back(name); });
    }

    TVryTimerManager timers;
    ManualClock clock;
    std::vector<std::string> fired;
};

TEST_F(TimerManagerTest, SharedTimerRunsAtShortestIntervalButNeverSlowerThanCeiling) {
    TVryTimerItem& click = Add("click", 400);
    TVryTimerItem& poll = Add("poll", 70);
    EXPECT_FALSE(timers.TimerEnabled()) << "no item enabled";

    click.SetEnabled(true);
    EXPECT_TRUE(timers.TimerEnabled());
    EXPECT_EQ(150u, timers.TimerInterval());

    poll.SetEnabled(true);
    EXPECT_EQ(70u, timers.TimerInterval());

    poll.SetEnabled(false);
    EXPECT_EQ(150u, timers.TimerInterval());

    click.SetEnabled(false);
    EXPECT_FALSE(timers.TimerEnabled());
}

TEST_F(TimerManagerTest, ChangingIntervalOfDisabledItemLeavesTimerAlone) {
    TVryTimerItem& a = Add("a", 400, true);
    TVryTimerItem& b = Add("b", 1000);
    double started = a.StartTime();
    clock.now += 50;
    b.SetInterval(20);
    EXPECT_EQ(150u, timers.TimerInterval());
    EXPECT_EQ(started, a.StartTime());
    a.SetInterval(100);
    EXPECT_EQ(100u, timers.TimerInterval());
    EXPECT_EQ(clock.now, a.StartTime()) << "a change to an enabled item restarts the periods";
}

TEST_F(TimerManagerTest, EnablingAnyItemRestartsEveryRunningPeriod) {
    TVryTimerItem& click = Add("click", 400, true);
    clock.Advance(300);
    Add("poll", 70).SetEnabled(true);
    EXPECT_EQ(clock.now, click.StartTime());

    auto clicks = [this] { return std::count(fired.begin(), fired.end(), "click"); };
    clock.Advance(350);
    EXPECT_EQ(0, clicks()) << "400 ms have not passed since the restart";
    clock.Advance(50);
    EXPECT_EQ(1, clicks());
}

TEST_F(TimerManagerTest, ItemFiresAtFirstTickAtOrAfterDueTimeAndStartsNewPeriod) {
    TVryTimerItem& click = Add("click", 400, true);
    // The shared timer runs at 150 ms: ticks at 150, 300 and 450.
    clock.Advance(150);
    clock.Advance(150);
    EXPECT_TRUE(fired.empty());
    clock.Advance(150);
    EXPECT_EQ(std::vector<std::string>{"click"}, fired);
    EXPECT_EQ(clock.now, click.StartTime());
    clock.Run(300, 150);
    EXPECT_EQ(1u, fired.size());
    clock.Advance(150);
    EXPECT_EQ(2u, fired.size());
}

TEST_F(TimerManagerTest, TickWalksItemsInCreationOrder) {
    Add("first", 100, true);
    Add("second", 100, true);
    Add("idle", 100);
    clock.Advance(100);
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), fired);
}

TEST_F(TimerManagerTest, CallbacksMayDisableThemselvesAndEnableOthers) {
    TVryTimerItem& later = Add("later", 200);
    TVryTimerItem* onceItem = nullptr;
    TVryTimerItem& once = timers.AddItem(true, 100, [&](TVryTimerItem* sender) {
        EXPECT_EQ(onceItem, sender);
        fired.push_back("once");
        sender->SetEnabled(false);
        later.SetEnabled(true);
    });
    onceItem = &once;
    clock.Advance(100);
    EXPECT_EQ(std::vector<std::string>{"once"}, fired);
    EXPECT_FALSE(once.Enabled());
    EXPECT_EQ(150u, timers.TimerInterval());
    clock.Run(400, 100);
    EXPECT_EQ((std::vector<std::string>{"once", "later", "later"}), fired);
}

TEST_F(TimerManagerTest, DisabledManagerNeitherStartsNorStopsItsTimer) {
    TVryTimerManager idle;
    idle.AddItem(true, 100, [](TVryTimerItem*) {});
    EXPECT_FALSE(idle.TimerEnabled());
    idle.SetEnabled(true);
    EXPECT_TRUE(idle.TimerEnabled());
    EXPECT_EQ(100u, idle.TimerInterval());
    idle.SetEnabled(false);
    EXPECT_TRUE(idle.TimerEnabled()) << "disabling only stops further recomputing";
}

TEST_F(TimerManagerTest, FailingCallbackKeepsItsStartTimeAndPropagates) {
    TVryTimerItem& bad =
        timers.AddItem(true, 100, [](TVryTimerItem*) { throw std::runtime_error("boom"); });
    double started = bad.StartTime();
    EXPECT_THROW(clock.Advance(100), std::runtime_error);
    EXPECT_EQ(started, bad.StartTime());
}

TEST_F(TimerManagerTest, ZeroIntervalDoesNotStopTheSharedTimer) {
    Add("zero", 0, true);
    EXPECT_TRUE(timers.TimerEnabled());
    EXPECT_GT(timers.TimerInterval(), 0u);
}

TEST(TimerManagerLifetime, CallbackMayDestroyTheManager) {
    auto timers = std::make_unique<TVryTimerManager>();
    timers->SetEnabled(true);
    platform::DWORD now = 0;
    timers->SetClock([&] { return now; });
    int after = 0;
    timers->AddItem(true, 100, [&](TVryTimerItem*) { timers.reset(); });
    timers->AddItem(true, 100, [&](TVryTimerItem*) { ++after; });
    now = 100;
    timers->Tick();
    EXPECT_EQ(nullptr, timers);
    EXPECT_EQ(0, after);
}

TEST(TimerManagerLoop, WindowTimerDrivesTheItems) {
    TVryTimerManager timers;
    timers.SetEnabled(true);
    int fired = 0;
    platform::DWORD start = platform::GetTickCount();
    timers.AddItem(true, 30, [&](TVryTimerItem* item) {
        if (++fired == 3)
            item->SetEnabled(false);
    });
    // Safety net only: three 30 ms periods take a fraction of this.
    while (fired < 3 && platform::GetTickCount() - start < 10000)
        platform::WaitMessage();
    EXPECT_EQ(3, fired);
    EXPECT_GE(platform::GetTickCount() - start, 90u);
    EXPECT_FALSE(timers.TimerEnabled());
}

}  // namespace
}  // namespace zelvo::tray
