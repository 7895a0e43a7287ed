#include "platform/Input.h"

#include "platform/win32/Win32.h"

namespace zelvo::platform {
namespace {

class DesktopInput : public InputService {
public:
    bool CursorPos(TPoint& pos) override {
        POINT p{};
        if (!::GetCursorPos(&p))
            return false;
        pos = {static_cast<int>(p.x), static_cast<int>(p.y)};
        return true;
    }

    // The state now, not as of the last message handled: the strip asks
    // from timers, between messages.
    bool KeyDown(int virtualKey) override {
        int key = virtualKey;
        // The left and right buttons as the user sees them, after a swap
        // for the left hand.
        if (::GetSystemMetrics(SM_SWAPBUTTON) != 0) {
            if (key == VK_LBUTTON)
                key = VK_RBUTTON;
            else if (key == VK_RBUTTON)
                key = VK_LBUTTON;
        }
        return (::GetAsyncKeyState(key) & 0x8000) != 0;
    }
};

DesktopInput desktopInput;
InputService* current = &desktopInput;

}  // namespace

InputService& Input() {
    return *current;
}

InputService* SetInputService(InputService* service) {
    InputService* previous = current;
    current = service != nullptr ? service : &desktopInput;
    return previous;
}

}  // namespace zelvo::platform
