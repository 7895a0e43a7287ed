#pragma once
// A control that draws itself: the program paints it through a canvas when
// the toolkit asks, and hears the left button, double clicks and the pointer
// coming and going. For a picture that moves sideways many times a second it
// can move the pixels already shown instead of painting them again.
#include <functional>

#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "platform/Types.h"
#include "platform/WindowPixels.h"

namespace zelvo::platform {

class TPaintBox : public TControl {
public:
    explicit TPaintBox(TWinControl& parent);
    ~TPaintBox() override;

    // The whole box is painted again soon.
    void Invalidate();
    // The whole box is painted again before this returns.
    void Repaint();
    // What the box shows moves dx pixels sideways (negative: to the left);
    // only the columns this uncovers are painted again.
    void Scroll(int dx);
    // Moves the pixels on the display itself and puts `uncovered` at x = at,
    // with no paint at all. False when that cannot be done (the box is not on
    // screen, or the display cannot): the caller repaints instead.
    bool ShiftPixels(int dx, const TPixels& uncovered, int at);
    // On screen, with a window of its own.
    bool Showing() const;

    // Paints `area` (the box's own pixels); what is drawn outside it may be
    // lost.
    std::function<void(TCanvas& canvas, const TRect& area)> OnPaint;
    // The left button, with the pointer's place on the desktop.
    std::function<void(TPoint screen)> OnMouseDown;
    // Moves of the pointer while the left button is held.
    std::function<void(TPoint screen)> OnMouseMove;
    std::function<void()> OnMouseUp;
    // A double click of the left button, at the box's own pixel.
    std::function<void(TPoint at)> OnDblClick;
    // The pointer came onto the box (true) or left it (false).
    std::function<void(bool on)> OnHover;
};

}  // namespace zelvo::platform
