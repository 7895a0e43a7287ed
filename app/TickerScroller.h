#pragma once
// The character scroller of the strip: on every tick of the caption timer the
// strip's label shows the ticker text from a few characters further on, and
// the application title follows it. Written against a small view so that the
// frames can be produced without any window.
#include <cstdint>
#include <string>

namespace zelvo::app {

// What the scroller needs of the strip.
class TTickerView {
public:
    virtual ~TTickerView() = default;
    // The caption of lblTicker, repainted at once.
    virtual void SetTickerCaption(const std::string& caption) = 0;
    // A caption whose ampersands are all plain characters. A view that draws
    // no mnemonic prefixes shows it like any other.
    virtual void SetPlainTickerCaption(const std::string& caption) { SetTickerCaption(caption); }
    virtual void SetApplicationTitle(const std::string& title) = 0;
    virtual void SetCaptionTimerEnabled(bool enabled) = 0;
    virtual void SetExplainTimerEnabled(bool enabled) = 0;
    // Handles pending window messages (menu commands, other timers, a whole
    // fetch) before returning.
    virtual void ProcessMessages() = 0;
};

class TTickerScroller {
public:
    // The view must outlive the scroller.
    explicit TTickerScroller(TTickerView& view) : view_(view) {}

    // The text being scrolled (UTF-8), and the 1-based index of the first
    // character of the next frame. Kept as public state because the retrieval
    // cycle and the handlers that run inside a tick set them directly.
    std::string TickerText;
    std::int32_t ScrollPos = 1;
    // Whether the text's ampersands are plain characters (headlines, feeds)
    // rather than the classic conversion's, in which "&&" shows one.
    bool PlainText = false;

    // The last frame this scroller showed: its caption, the index (0-based,
    // in characters) of the ticker text's character that follows the indent,
    // and the indent's length. With it a point on the strip finds its
    // character of the text.
    struct TFrame {
        std::string caption;
        std::size_t textStart = 0;
        std::size_t indent = 0;
    };
    TFrame LastFrame;

    // One tick of timerCaption. The characters advanced per tick are the live
    // setting config::Live().ScrollStep, read at every tick.
    void timerCaptionTimer();

    // Shown instead of news when automatic retrieval is off at start-up.
    void StartExplanation();
    // Two minutes after the explanation started: it ends unless automatic
    // retrieval was switched on meanwhile.
    void timerExplainTimer();

    // Frames are at most this many characters of the text after the indent.
    static constexpr std::size_t kWindowWidth = 225;
    static constexpr const char* kFirstFrameIndent = "      ";
    static constexpr const char* kFrameIndent = " ";
    static constexpr const char* kStoppedCaption = " Zelvo";
    static constexpr const char* kStoppedTitle = "Zelvo";

    static std::string ExplanationText();

private:
    TTickerView& view_;
};

}  // namespace zelvo::app
