// The strip under the pointer: dragged by its text, held still while the
// pointer rests on it.
#include <cstdlib>

#include "app/MainZv3.h"

namespace zelvo::app {

void TfrmMain::BeginDrag(platform::TPoint screen) {
    // Nothing moves yet: a window manager that took the press for a move of
    // its own would keep the second click of a double-click from the strip.
    pressedAt_ = screen;
    pressOrigin_ = {Left(), Top()};
    dragOffset_.reset();
}

void TfrmMain::Drag(platform::TPoint screen) {
    if (dragOffset_) {
        MoveTo(screen.x - dragOffset_->x, screen.y - dragOffset_->y);
        return;
    }
    if (!pressedAt_ ||
        std::abs(screen.x - pressedAt_->x) + std::abs(screen.y - pressedAt_->y) < DragDistance())
        return;
    // Dragging the text moves the strip, as a title bar would: by the window
    // manager where there is one, else by following the pointer.
    const platform::TPoint pressed = *pressedAt_;
    pressedAt_.reset();
    if (BeginDesktopMove())
        return;
    dragOffset_ = platform::TPoint{pressed.x - pressOrigin_.x, pressed.y - pressOrigin_.y};
    MoveTo(screen.x - dragOffset_->x, screen.y - dragOffset_->y);
}

void TfrmMain::EndDrag() {
    pressedAt_.reset();
    dragOffset_.reset();
}

void TfrmMain::StripHovered(bool on) {
    if (on == PointerOnStrip)
        return;
    PointerOnStrip = on;
    Smooth->SetPaused(on);
    // Going on from where it stopped: the next step a whole tick away.
    if (!on && timerCaption.Enabled()) {
        timerCaption.SetEnabled(false);
        timerCaption.SetEnabled(true);
    }
}

}  // namespace zelvo::app
