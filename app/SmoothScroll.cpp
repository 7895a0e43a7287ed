#include "app/SmoothScroll.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QTimerEvent>
#include <algorithm>
#include <cmath>

#include "app/TickerLabel.h"
#include "app/TickerScroller.h"
#include "text/Utf8.h"

namespace zelvo::app {

TSmoothScroll::TSmoothScroll(TTickerLabel& label) : label_(label) {}

void TSmoothScroll::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer_.timerId())
        Step();
    else
        QObject::timerEvent(event);
}

int TSmoothScroll::StepsPerSecond() {
    constexpr int kMostSteps = 60;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double refresh = screen != nullptr ? screen->refreshRate() : 0;
    if (refresh < 1)
        return kMostSteps;
    return std::min(kMostSteps, static_cast<int>(std::lround(refresh)));
}

bool TSmoothScroll::Frame(const std::string& text, bool mnemonics, std::size_t textStart,
                          std::size_t indent, int step, unsigned interval) {
    const bool lookChanged = image_.SetLook(label_.font(), label_.Backcolor(), label_.ForeColor());
    const bool textChanged = image_.SetText(text, mnemonics);
    const bool wasActive = active_ && label_.Image() == &image_;
    const int blank = QFontMetrics(label_.font()).horizontalAdvance(QLatin1Char(' '));
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
    clock_.start();
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
    timer_.stop();
    label_.ShowImage(nullptr, 0, 0, 0);
}

double TSmoothScroll::Position() const {
    const double elapsed = elapsedBefore_ + (paused_ ? 0.0 : static_cast<double>(clock_.elapsed()));
    const double fraction = std::min(1.0, elapsed / interval_);
    return from_ + fraction * (to_ - from_);
}

void TSmoothScroll::Schedule() {
    if (!active_ || paused_ || to_ <= from_) {
        timer_.stop();
        return;
    }
    // No sooner than the display can show a step, and no sooner than the
    // text has moved a whole pixel.
    const double pixelTime = interval_ / (to_ - from_);
    const int period = static_cast<int>(std::ceil(std::max(1000.0 / StepsPerSecond(), pixelTime)));
    if (timer_.isActive() && period == period_)
        return;
    period_ = period;
    timer_.start(period, Qt::PreciseTimer, this);
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
        timer_.stop();
}

void TSmoothScroll::SetPaused(bool paused) {
    if (paused == paused_)
        return;
    if (paused) {
        elapsedBefore_ += static_cast<double>(clock_.elapsed());
        paused_ = true;
        timer_.stop();
        return;
    }
    // From where it stopped, over a whole tick: the strip restarts the
    // character steps when the pointer leaves.
    from_ = Position();
    paused_ = false;
    elapsedBefore_ = 0;
    clock_.start();
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
