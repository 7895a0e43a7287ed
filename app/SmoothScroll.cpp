#include "app/SmoothScroll.h"

#include <algorithm>
#include <cmath>

#include "app/TickerLabel.h"
#include "app/TickerScroller.h"
#include "platform/Graphics.h"
#include "platform/Screen.h"
#include "text/Utf8.h"

namespace zelvo::app {

TSmoothScroll::TSmoothScroll(TTickerLabel& label) : label_(label) {}

double TSmoothScroll::Elapsed() const {
    return static_cast<double>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_).count());
}

int TSmoothScroll::StepsPerSecond() {
    constexpr int kMostSteps = 60;
    const double refresh = platform::ScreenRefreshRate();
    if (refresh < 1)
        return kMostSteps;
    return std::min(kMostSteps, static_cast<int>(std::lround(refresh)));
}

bool TSmoothScroll::Frame(const std::string& text, bool mnemonics, std::size_t textStart,
                          std::size_t indent, int step, unsigned interval) {
    const bool lookChanged =
        image_.SetLook(label_.TextFont(), label_.Backcolor(), label_.ForeColor());
    const bool textChanged = image_.SetText(text, mnemonics);
    const bool wasActive = active_ && label_.Image() == &image_;
    const int blank = platform::TTextMetrics(label_.TextFont()).Width(" ");
    const int start = image_.XOf(textStart);
    from_ = start - static_cast<double>(indent) * blank;
    to_ = from_;
    // A step wider than a frame has nothing to glide across.
    if (step > 0 && static_cast<std::size_t>(step) <= TTickerScroller::kWindowWidth) {
        const double next =
            image_.XOf(textStart + static_cast<std::size_t>(step)) -
            static_cast<double>(text::CharCount(TTickerScroller::kFrameIndent)) * blank;
        to_ = std::max(from_, next);
    }
    interval_ = std::max(1u, interval);
    left_ = start;
    right_ = image_.XOf(textStart + TTickerScroller::kWindowWidth);
    elapsedBefore_ = 0;
    started_ = Clock::now();
    active_ = true;
    shown_ = static_cast<int>(std::lround(from_));
    const bool inPlace =
        wasActive && !lookChanged && !textChanged && label_.MoveImage(shown_, left_, right_);
    if (!inPlace)
        label_.ShowImage(&image_, shown_, left_, right_);
    Schedule();
    return inPlace;
}

void TSmoothScroll::Stop() {
    active_ = false;
    timer_.SetEnabled(false);
    label_.ShowImage(nullptr, 0, 0, 0);
}

double TSmoothScroll::Position() const {
    const double elapsed = elapsedBefore_ + (paused_ ? 0.0 : Elapsed());
    const double fraction = std::min(1.0, elapsed / interval_);
    return from_ + fraction * (to_ - from_);
}

void TSmoothScroll::Schedule() {
    if (!active_ || paused_ || to_ <= from_) {
        timer_.SetEnabled(false);
        return;
    }
    // No sooner than the display can show a step, and no sooner than the
    // text has moved a whole pixel.
    const double pixelTime = interval_ / (to_ - from_);
    const int period = static_cast<int>(std::ceil(std::max(1000.0 / StepsPerSecond(), pixelTime)));
    if (timer_.Enabled() && period == period_)
        return;
    period_ = period;
    // A running timer restarts its period at the new one.
    timer_.SetInterval(static_cast<unsigned>(period));
    timer_.SetEnabled(true);
}

void TSmoothScroll::Step() {
    if (!active_ || paused_)
        return;
    const int position = static_cast<int>(std::lround(Position()));
    if (position != shown_) {
        shown_ = position;
        label_.SetImageOffset(shown_);
    }
    if (position >= static_cast<int>(std::lround(to_)))
        timer_.SetEnabled(false);
}

void TSmoothScroll::SetPaused(bool paused) {
    if (paused == paused_)
        return;
    if (paused) {
        elapsedBefore_ += Elapsed();
        paused_ = true;
        timer_.SetEnabled(false);
        return;
    }
    // From where it stopped, over a whole tick: the strip restarts the
    // character steps when the pointer leaves.
    from_ = Position();
    paused_ = false;
    elapsedBefore_ = 0;
    started_ = Clock::now();
    Schedule();
}

long TSmoothScroll::TextIndexAt(int x) {
    if (!active_)
        return -1;
    const int px = shown_ + x;
    if (px < left_ || px >= right_)
        return -1;
    return image_.CharAt(px);
}

}  // namespace zelvo::app
