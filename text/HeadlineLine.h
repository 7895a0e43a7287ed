#pragma once
// The strip's line of headlines: a feed's items or a page's headlines, one
// after another behind a blank, set apart by the separator, ending in two
// blanks. Each headline with a link remembers the characters it covers so
// that a double-click on the strip finds where it leads. Ampersands stay as
// they are: the label that draws the line does its own escaping.
#include <cstddef>
#include <string>
#include <string_view>

#include "text/PageConversion.h"

namespace zelvo::text {

class THeadlineLine {
public:
    // Adds one headline (empty titles are passed over); link may be empty.
    void Add(std::string_view title, std::string_view link);
    // Text added without a separator and without a link.
    void AddPlain(std::string_view text);
    bool Empty() const { return first_; }

    // The finished line; the builder is left empty.
    TTickerPage Finish();

private:
    TTickerPage page_;
    std::size_t chars_ = 0;
    bool first_ = true;
};

}  // namespace zelvo::text
