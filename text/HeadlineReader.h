#pragma once
// A web page read as a person reads a news page: its title, then its
// headlines (the headings h1 to h3 and the links whose text makes a
// headline), each with the address it leads to. Markup a browser would not
// show (scripts, styles, templates, drawings, hidden elements) and the
// page's furniture (navigation, footers, forms) give nothing, nor do links
// inside running prose. A page with too few headlines (an article, an old
// page of plain text) is shown by its visible text instead.
//
// No tree is built: open elements are tracked by name on a stack, closing
// as a browser would close them for the common cases (void elements, the
// implied ends of p, li and their kin, misnested end tags).
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/PageConversion.h"

namespace zelvo::text {

inline constexpr std::size_t kMaxPageHeadlines = 40;
// Fewer headlines than this and the page shows its visible text.
inline constexpr std::size_t kMinPageHeadlines = 3;
// Characters of visible text kept, cut at a word.
inline constexpr std::size_t kMaxVisibleChars = 4000;
// Characters of title and headlines together: headlines that would go past
// are left out.
inline constexpr std::size_t kMaxLineChars = 4000;
// Words a link's text needs to count as a headline.
inline constexpr std::size_t kHeadlineLinkWords = 4;

struct THeadlineItem {
    std::string text;  // UTF-8, white space collapsed
    std::string link;  // resolved, http or https; empty when it has none
};

struct THeadlineReading {
    std::string title;
    std::string titleLink;                 // the page's own address, when it can be opened
    std::vector<THeadlineItem> headlines;  // at most kMaxPageHeadlines
    std::string visibleText;               // at most kMaxVisibleChars characters
    std::vector<std::string> feeds;        // declared feeds, resolved, each once
};

// utf8: the decoded page, consumed (a large page is read where it lies);
// pageUrl: its address after relocations, against which links and the
// page's base are resolved.
THeadlineReading ReadHeadlines(std::string utf8, std::string_view pageUrl);

// Only the feeds the page declares (link rel="alternate" of an RSS or Atom
// type), resolved against the page's base and address.
std::vector<std::string> DeclaredFeeds(std::string_view utf8, std::string_view pageUrl);

// The strip's line: the title and the headlines set apart by the feeds'
// separator, or the visible text when there are too few headlines.
TTickerPage HeadlineTickerPage(const THeadlineReading& reading);

}  // namespace zelvo::text
