#include "text/HeadlineLine.h"

#include <utility>

#include "text/ControlCharacters.h"
#include "text/Utf8.h"

namespace zelvo::text {

void THeadlineLine::Add(std::string_view written, std::string_view link) {
    // A title's escapes can carry any character; none that moves the cursor
    // or turns the strip's direction around reaches the line.
    std::string title(written);
    DropControls(title);
    if (title.empty())
        return;
    if (first_) {
        // Cleared and appended, not assigned: GCC 12 at -O3 flags the
        // assignment of a literal with a -Wrestrict false positive.
        page_.text.clear();
        page_.text.push_back(' ');
        chars_ = 1;
    } else {
        page_.text += kHeadlineSeparator;
        chars_ += CharCount(kHeadlineSeparator);
    }
    first_ = false;
    const std::size_t begin = chars_;
    page_.text += title;
    chars_ += CharCount(title);
    if (!link.empty())
        page_.headlines.push_back({begin, chars_, std::string(link)});
}

void THeadlineLine::AddPlain(std::string_view text) {
    if (text.empty())
        return;
    if (first_) {
        // Cleared and appended, not assigned: GCC 12 at -O3 flags the
        // assignment of a literal with a -Wrestrict false positive.
        page_.text.clear();
        page_.text.push_back(' ');
        chars_ = 1;
    }
    first_ = false;
    page_.text += text;
    chars_ += CharCount(text);
}

TTickerPage THeadlineLine::Finish() {
    // An empty line is the two blanks an empty page has always given, which
    // stops the scroller at once.
    page_.text += "  ";
    TTickerPage done = std::move(page_);
    page_ = {};
    chars_ = 0;
    first_ = true;
    return done;
}

}  // namespace zelvo::text
