#pragma once
// The pointer and the modifier keys as the desktop reports them at the moment
// of the call, behind one replaceable service so tests can move the pointer.
#include "platform/Types.h"

namespace zelvo::platform {

constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;

class InputService {
public:
    virtual ~InputService() = default;
    // Screen coordinates; false when the position cannot be read.
    virtual bool CursorPos(TPoint& pos) = 0;
    // Whether the key or button (one of the VK_ values) is held down now.
    virtual bool KeyDown(int virtualKey) = 0;
};

// The service in force; the desktop's own until SetInputService replaces it.
InputService& Input();
// Installs a service (nullptr restores the desktop's) and returns the previous one.
InputService* SetInputService(InputService* service);

inline bool GetCursorPos(TPoint& pos) {
    return Input().CursorPos(pos);
}
// The high bit (the value is negative) is set while the key is down.
inline short GetKeyState(int virtualKey) {
    return Input().KeyDown(virtualKey) ? static_cast<short>(0x8000 | 0x0001) : 0;
}

}  // namespace zelvo::platform
