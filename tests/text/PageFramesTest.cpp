// The scroller's frames of a converted page against the frames the old byte
// scroller made of the old conversion's text. Apart from the other text
// suites because it needs the program's core, which the Windows build does
// not have yet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/TickerScroller.h"
#include "config/LiveSettings.h"
#include "support/PageGenerator.h"
#include "support/ReferenceConversion.h"
#include "text/PageConversion.h"
#include "text/PageDecoding.h"

namespace zelvo::text {
namespace {

std::string ReadAsCp1252(const std::string& page) {
    return ConvertPageUtf8(text::Cp1252ToUtf8(page));
}

TEST(CharacterConversionTest, FramesOfCp1252PagesAgreeWithTheOldFrames) {
    struct Frames : app::TTickerView {
        std::vector<std::string> shown;
        void SetTickerCaption(const std::string& c) override { shown.push_back(c); }
        void SetApplicationTitle(const std::string&) override {}
        void SetCaptionTimerEnabled(bool) override {}
        void SetExplainTimerEnabled(bool) override {}
        void ProcessMessages() override {}
    };
    // The old scroller: bytes.
    auto oldFrames = [](const std::string& t, int step, int count) {
        std::vector<std::string> out;
        std::int32_t pos = 1;
        for (int i = 0; i < count; ++i) {
            const std::size_t start = pos <= 1 ? 0 : static_cast<std::size_t>(pos) - 1;
            std::string caption = pos <= 1 ? "      " : " ";
            if (start < t.size())
                caption += t.substr(start, 225);
            out.push_back(text::Cp1252ToUtf8(caption));
            pos += step;
            if (std::all_of(caption.begin(), caption.end(),
                            [](char c) { return static_cast<unsigned char>(c) <= 32; }))
                pos = 1;
        }
        return out;
    };
    testing::PageGenerator gen(99);
    for (int i = 0; i < 40; ++i) {
        const std::string page = gen.Page(gen.Below(4000));
        const int step = 1 + i % 3;
        config::Live().ScrollStep = step;
        Frames view;
        app::TTickerScroller scroller(view);
        scroller.TickerText = ReadAsCp1252(page);
        const std::string old = reference::PageToTickerText(page);
        if (std::all_of(old.begin(), old.end(),
                        [](char c) { return static_cast<unsigned char>(c) <= 32; }))
            continue;  // the scroller stops at once on a blank text
        const int count = 2 * static_cast<int>(old.size()) / step + 3;
        for (int k = 0; k < count; ++k)
            scroller.timerCaptionTimer();
        ASSERT_EQ(view.shown, oldFrames(old, step, count)) << "page " << i;
    }
    config::Live().ScrollStep = 2;
}

}  // namespace
}  // namespace zelvo::text
