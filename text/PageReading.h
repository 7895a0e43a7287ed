#pragma once
// The one road from a received page to the strip's line. A feed shows its
// items; any other page is read by the copy's chosen reading: its headlines
// (the default), or the classic conversion that keeps the old byte rules.
#include <string>
#include <string_view>
#include <vector>

#include "text/PageConversion.h"

namespace zelvo::text {

enum class TPageReading { Headlines, Classic };

inline constexpr const char* kHeadlinesReading = "Headlines";
inline constexpr const char* kClassicReading = "Classic";

// "Classic" in any letter case is the classic reading; anything else, an
// unknown or empty name included, the headlines.
TPageReading PageReadingNamed(std::string_view name);
const char* PageReadingName(TPageReading reading);

struct TPageRead {
    TTickerPage line;                // the text, its headlines' links, the charset
    std::vector<std::string> feeds;  // feeds the page declares, resolved
    // The text is the classic conversion's, in which the strip shows "&&"
    // as one ampersand; every other reading's ampersands are plain.
    bool classic = false;
};

// bytes: the body (consumed); contentType: the response's; pageUrl: the
// address after relocations, against which links are resolved; charset: a
// charset that replaces the response's ("" to keep it).
TPageRead ReadReceivedPage(std::string&& bytes, std::string_view contentType,
                           std::string_view pageUrl, TPageReading reading,
                           std::string_view charset = {});

}  // namespace zelvo::text
