#include "app/TickerScroller.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/LiveSettings.h"

namespace zelvo::app {
namespace {

// Records what the scroller does to the strip, in order.
class FakeView : public TTickerView {
public:
    void SetTickerCaption(const std::string& caption) override {
        events.push_back("caption:" + caption);
        captions.push_back(caption);
    }
    void SetApplicationTitle(const std::string& title) override {
        events.push_back("title:" + title);
        titles.push_back(title);
    }
    void SetCaptionTimerEnabled(bool enabled) override {
        events.push_back(enabled ? "caption timer on" : "caption timer off");
        captionTimer = enabled;
    }
    void SetExplainTimerEnabled(bool enabled) override {
        events.push_back(enabled ? "explain timer on" : "explain timer off");
        explainTimer = enabled;
    }
    void ProcessMessages() override {
        ++processCalls;
        if (onProcess)
            onProcess(processCalls);
    }

    std::vector<std::string> events;
    std::vector<std::string> captions;
    std::vector<std::string> titles;
    bool captionTimer = true;
    bool explainTimer = false;
    int processCalls = 0;
    std::function<void(int)> onProcess;
};

class TickerScrollerTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = config::Live(); }
    void TearDown() override { config::Live() = saved_; }

    std::vector<std::string> Frames(int ticks) {
        std::vector<std::string> frames;
        for (int i = 0; i < ticks; ++i) {
            view.captions.clear();
            scroller.timerCaptionTimer();
            frames.push_back(view.captions.front());
        }
        return frames;
    }

    FakeView view;
    TTickerScroller scroller{view};

private:
    config::TLiveSettings saved_;
};

TEST_F(TickerScrollerTest, PositionsAndTheWindowCountCharacters) {
    config::Live().ScrollStep = 2;
    // Letters of one, two, three and four bytes.
    scroller.TickerText = "a\u00E9\u20AC\U0001F600b\u00E9";
    EXPECT_EQ(Frames(4), (std::vector<std::string>{"      a\u00E9\u20AC\U0001F600b\u00E9",
                                                   " \u20AC\U0001F600b\u00E9", " b\u00E9", " "}));
    EXPECT_EQ(scroller.LastFrame.caption, " ");
    // 225 characters of two bytes each fill the window exactly.
    std::string wide;
    for (int i = 0; i < 300; ++i)
        wide += "\u00E9";
    scroller.TickerText = wide;
    scroller.ScrollPos = 1;
    const std::string frame = Frames(1)[0];
    EXPECT_EQ(frame, "      " + wide.substr(0, 450));
    EXPECT_EQ(scroller.LastFrame.textStart, 0u);
    EXPECT_EQ(scroller.LastFrame.indent, 6u);
    Frames(1);
    EXPECT_EQ(scroller.LastFrame.textStart, 2u);
    EXPECT_EQ(scroller.LastFrame.indent, 1u);
}

TEST_F(TickerScrollerTest, EightLettersWithStepTwoCycleWithOneBlankFrame) {
    config::Live().ScrollStep = 2;
    scroller.TickerText = "ABCDEFGH";
    const auto frames = Frames(7);
    EXPECT_EQ(frames, (std::vector<std::string>{"      ABCDEFGH", " CDEFGH", " EFGH", " GH", " ",
                                                "      ABCDEFGH", " CDEFGH"}));
    EXPECT_TRUE(view.captionTimer);
    EXPECT_EQ(view.titles, frames) << "the title mirrors every frame";
}

TEST_F(TickerScrollerTest, StepIsReadAtEveryTick) {
    config::Live().ScrollStep = 3;
    scroller.TickerText = "ABCDEFGHIJ";
    EXPECT_EQ(Frames(2), (std::vector<std::string>{"      ABCDEFGHIJ", " DEFGHIJ"}));
    config::Live().ScrollStep = 1;
    EXPECT_EQ(Frames(2), (std::vector<std::string>{" GHIJ", " HIJ"}));
    EXPECT_EQ(scroller.ScrollPos, 9);
}

TEST_F(TickerScrollerTest, FramesShowAtMost225Characters) {
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "0123456789";
    scroller.TickerText = text;
    const auto frames = Frames(2);
    EXPECT_EQ(frames[0], "      " + text.substr(0, 225));
    EXPECT_EQ(frames[1], " " + text.substr(2, 225));
}

TEST_F(TickerScrollerTest, BlankTextShowsOneBlankFrameThenStops) {
    scroller.TickerText = "  ";
    scroller.timerCaptionTimer();
    EXPECT_EQ(view.events,
              (std::vector<std::string>{"caption:        ", "title:        ", "caption timer off",
                                        "caption:" + std::string(TTickerScroller::kStoppedCaption),
                                        "title:Zelvo"}));
    EXPECT_EQ(view.captions.back(), " Zelvo");
    EXPECT_EQ(scroller.ScrollPos, 1);
}

TEST_F(TickerScrollerTest, BlanksWiderThanTheWindowRestartTheCycle) {
    config::Live().ScrollStep = 2;
    scroller.TickerText = "one" + std::string(250, ' ') + "two";
    const auto frames = Frames(5);
    EXPECT_EQ(frames[0].substr(0, 9), "      one");
    EXPECT_EQ(frames[1].substr(0, 3), " e ");
    EXPECT_EQ(frames[2], std::string(226, ' ')) << "only blanks: the cycle ends";
    EXPECT_EQ(frames[3].substr(0, 9), "      one") << "the second word is never shown";
    for (const auto& frame : frames)
        EXPECT_EQ(frame.find("two"), std::string::npos);
}

TEST_F(TickerScrollerTest, HandlersRunInsideATickSeeTheStateTheyLeave) {
    config::Live().ScrollStep = 2;
    scroller.TickerText = "ABCDEFGH";
    scroller.ScrollPos = 5;
    // A fetch that completes between reading the rest and building the frame:
    // the frame shows the old rest with the first-frame indent.
    view.onProcess = [&](int call) {
        if (call == 2) {
            scroller.TickerText = "NEWS";
            scroller.ScrollPos = 1;
        }
    };
    scroller.timerCaptionTimer();
    EXPECT_EQ(view.processCalls, 3);
    EXPECT_EQ(view.captions, std::vector<std::string>{"      EFGH"});
    EXPECT_EQ(scroller.ScrollPos, 3);

    // The text emptied at that point stops the scroller at the end of the tick.
    view.captions.clear();
    view.onProcess = [&](int call) {
        if (call == 5)
            scroller.TickerText.clear();
    };
    scroller.timerCaptionTimer();
    EXPECT_EQ(view.captions, (std::vector<std::string>{" WS", " Zelvo"}));
    EXPECT_FALSE(view.captionTimer);
}

TEST_F(TickerScrollerTest, PositionBeforeTheStartShowsTheWholeText) {
    config::Live().ScrollStep = 1;
    scroller.TickerText = "ABC";
    scroller.ScrollPos = -7;
    EXPECT_EQ(Frames(1), std::vector<std::string>{"      ABC"});
}

TEST_F(TickerScrollerTest, ExplanationScrollsUntilItsTimerEndsIt) {
    config::Live().AutoRetrievalOn = false;
    config::Live().ScrollStep = 2;
    scroller.StartExplanation();
    EXPECT_TRUE(view.captionTimer);
    EXPECT_TRUE(view.explainTimer);
    const std::string first = Frames(1)[0];
    EXPECT_EQ(first.find_first_not_of(' '), 156u);
    EXPECT_EQ(first.substr(156, 45), "Zelvo auto-retrieval feature is off.       Ne");
    EXPECT_TRUE(scroller.TickerText.ends_with(
        "       If disconnected, establish Internet connection with Windows dial-up networking or "
        "other available method."));
    EXPECT_NE(scroller.TickerText.find(
                  "manually.       Click Zelvo tray icon and use pop-up menu to retrieve site."),
              std::string::npos);

    scroller.timerExplainTimer();
    EXPECT_FALSE(view.explainTimer);
    EXPECT_EQ(scroller.TickerText, "");
    view.captions.clear();
    scroller.timerCaptionTimer();
    EXPECT_EQ(view.captions.back(), " Zelvo");
    EXPECT_FALSE(view.captionTimer);
}

TEST_F(TickerScrollerTest, ExplanationTimerKeepsTextOnceRetrievalIsOn) {
    config::Live().AutoRetrievalOn = false;
    scroller.StartExplanation();
    config::Live().AutoRetrievalOn = true;
    scroller.TickerText = " fetched news  ";
    scroller.timerExplainTimer();
    EXPECT_FALSE(view.explainTimer);
    EXPECT_EQ(scroller.TickerText, " fetched news  ");
}

}  // namespace
}  // namespace zelvo::app
