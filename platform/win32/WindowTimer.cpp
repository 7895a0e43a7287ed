#include "platform/WindowTimer.h"

#include "platform/MessageLoop.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform {

// Each timer ticks on a hidden window of its own, so that its identity never
// depends on a timer number shared with others.
class WindowTimer::Impl {
public:
    explicit Impl(WindowTimer& owner)
        : window([&owner](UINT msg, WPARAM, LPARAM) -> LRESULT {
              if (msg == WM_TIMER)
                  owner.Fire();
              return 0;
          }) {}

    ::HWND Native() const { return reinterpret_cast<::HWND>(window.Handle()); }

    MessageWindow window;
};

WindowTimer::WindowTimer(unsigned intervalMs, Handler onTimer)
    : interval_(intervalMs), onTimer_(std::move(onTimer)), impl_(std::make_unique<Impl>(*this)) {}

WindowTimer::~WindowTimer() {
    ::KillTimer(impl_->Native(), 1);
}

void WindowTimer::Restart() {
    ::KillTimer(impl_->Native(), 1);
    // A window timer of interval 0 does not tick.
    if (enabled_ && interval_ > 0 && onTimer_)
        ::SetTimer(impl_->Native(), 1, interval_, nullptr);
}

}  // namespace zelvo::platform
