#include "app/TickerScroller.h"

#include <algorithm>

#include "config/LiveSettings.h"
#include "text/Utf8.h"

namespace zelvo::app {

namespace {

bool IsTrimmedEmpty(const std::string& s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

// The position is a 32-bit counter; an absurd step from the store wraps it
// rather than overflowing.
std::int32_t WrappingAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

}  // namespace

void TTickerScroller::timerCaptionTimer() {
    view_.ProcessMessages();
    // Only the visible part of the rest is copied: the text may be megabytes.
    // Positions count characters of the UTF-8 text.
    const std::size_t start = ScrollPos <= 1 ? 0 : static_cast<std::size_t>(ScrollPos) - 1;
    const std::size_t from = text::ByteOffsetOfChar(TickerText, start);
    std::string rest(text::FirstChars(TickerText, from, kWindowWidth));
    // Handlers run here may replace the text or move the position; the frame
    // keeps the part read above but takes its indent from the position now.
    view_.ProcessMessages();
    std::string caption = ScrollPos <= 1 ? kFirstFrameIndent : kFrameIndent;
    caption += rest;
    LastFrame = {caption, start,
                 text::CharCount(ScrollPos <= 1 ? kFirstFrameIndent : kFrameIndent)};
    if (PlainText)
        view_.SetPlainTickerCaption(caption);
    else
        view_.SetTickerCaption(caption);
    ScrollPos = WrappingAdd(ScrollPos, config::Live().ScrollStep);
    view_.SetApplicationTitle(caption);
    if (IsTrimmedEmpty(caption))
        ScrollPos = 1;
    if (IsTrimmedEmpty(TickerText)) {
        view_.SetCaptionTimerEnabled(false);
        view_.SetTickerCaption(kStoppedCaption);
        view_.SetApplicationTitle(kStoppedTitle);
    }
    view_.ProcessMessages();
}

std::string TTickerScroller::ExplanationText() {
    const std::string gap(7, ' ');
    return std::string(150, ' ') + "Zelvo" + " auto-retrieval feature is off." + gap +
           "Network connecting and site retrieval must be done manually." + gap +
           "Click Zelvo tray icon and use pop-up menu to retrieve site." + gap +
           "If disconnected, establish Internet connection with Windows" +
           " dial-up networking or other available method.";
}

void TTickerScroller::StartExplanation() {
    TickerText = ExplanationText();
    view_.SetCaptionTimerEnabled(true);
    view_.SetExplainTimerEnabled(true);
}

void TTickerScroller::timerExplainTimer() {
    view_.SetExplainTimerEnabled(false);
    if (!config::Live().AutoRetrievalOn)
        TickerText.clear();
}

}  // namespace zelvo::app
