#pragma once
// Smooth scrolling: the character scroller still decides every frame (the
// captions and the title are its), but between two of its ticks the strip
// glides by pixels from one frame's place to the next, at the display's
// refresh rate at most and never faster than 60 steps a second.
#include <chrono>
#include <cstddef>
#include <string>

#include "app/TickerImage.h"
#include "platform/WindowTimer.h"

namespace zelvo::app {

class TTickerLabel;

class TSmoothScroll {
public:
    // The label must outlive this.
    explicit TSmoothScroll(TTickerLabel& label);

    // The scroller just showed the frame whose text starts at character
    // textStart of text after indent blanks; the next frame will be step
    // characters further on, interval milliseconds from now.
    // True when the strip is already drawn (the frame went on from the last
    // one's place); false when it must be repainted.
    bool Frame(const std::string& text, bool mnemonics, std::size_t textStart, std::size_t indent,
               int step, unsigned interval);
    // Anything else on the strip: drawn as a caption, standing still.
    void Stop();
    bool Active() const { return active_; }

    // The pointer rests on the strip: it holds still, and goes on from there.
    void SetPaused(bool paused);

    // The index of the text's character drawn at x on the strip, or -1.
    long TextIndexAt(int x);

    // The text pixel now at the strip's left edge.
    int Offset() const { return shown_; }
    // How often the strip moves at most, in steps a second.
    static int StepsPerSecond();

private:
    using Clock = std::chrono::steady_clock;

    void Step();
    void Schedule();
    double Position() const;
    // Whole milliseconds since the frame (or the end of a pause) began.
    double Elapsed() const;

    TTickerLabel& label_;
    TTickerImage image_;
    // Repeats at one period for as long as the speed stays the same.
    platform::WindowTimer timer_{0, [this] { Step(); }};
    int period_ = 0;
    Clock::time_point started_ = Clock::now();
    bool active_ = false;
    bool paused_ = false;
    double from_ = 0;  // where the frame stands when it is shown
    double to_ = 0;    // where the next frame will stand
    double interval_ = 1;
    double elapsedBefore_ = 0;  // of this frame, before a pause
    int shown_ = 0;
    int left_ = 0;  // the frame's window of the text, in text pixels
    int right_ = 0;
};

}  // namespace zelvo::app
