// The strip under the pointer: dragged by its text, held still while the
// pointer rests on it.
#include <QApplication>
#include <QWindow>
#include <algorithm>

#include "app/MainZv3.h"

namespace zelvo::app {

void TfrmMain::BeginDrag(QPoint globalPos) {
    // Nothing moves yet: a window manager that took the press for a move of
    // its own would keep the second click of a double-click from the strip.
    pressedAt_ = globalPos;
    pressOrigin_ = pos();
    dragOffset_.reset();
}

void TfrmMain::Drag(QPoint globalPos) {
    if (dragOffset_) {
        move(globalPos - *dragOffset_);
        return;
    }
    if (!pressedAt_ || (globalPos - *pressedAt_).manhattanLength() < DragDistance())
        return;
    // Dragging the text moves the strip, as a title bar would: by the window
    // manager where there is one, else by following the pointer.
    const QPoint pressed = *pressedAt_;
    pressedAt_.reset();
    if (QWindow* handle = windowHandle(); handle != nullptr && handle->startSystemMove())
        return;
    dragOffset_ = pressed - pressOrigin_;
    move(globalPos - *dragOffset_);
}

void TfrmMain::EndDrag() {
    pressedAt_.reset();
    dragOffset_.reset();
}

int TfrmMain::DragDistance() {
    return std::max(1, QApplication::startDragDistance());
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
