#pragma once
#include "platform/MessageLoop.h"
#include "platform/WindowTimer.h"

namespace zelvo::testing {

// Runs the message loop until pred holds or ms milliseconds pass. The loop
// waits for events; the timer only makes sure it wakes to look at the clock.
template <typename Pred>
bool WaitFor(Pred pred, platform::DWORD ms = 10000) {
    platform::WindowTimer wake(20, [] {});
    wake.SetEnabled(true);
    const platform::DWORD start = platform::GetTickCount();
    while (!pred()) {
        if (platform::GetTickCount() - start > ms)
            return false;
        platform::WaitMessage();
    }
    return true;
}

}  // namespace zelvo::testing
