#pragma once
// News feeds (RSS 0.9x and 2.0, RSS 1.0 in RDF, Atom 1.0) read as their
// headlines: the feed's title and link, then each item's title and link in
// the feed's order. Titles come out as plain text: entities and CDATA
// decoded, markup removed, white space collapsed to single blanks.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvo::text {

struct TFeedItem {
    std::string title;  // UTF-8
    std::string link;
};

struct TFeed {
    std::string title;
    std::string link;
    std::vector<TFeedItem> items;
};

// Media types that announce a feed.
bool IsFeedMediaType(std::string_view mediaType);

// Whether UTF-8 text is XML whose root element is rss, rdf:RDF or feed. Reads
// only the document's start.
bool HasFeedRoot(std::string_view utf8);

// The feed in UTF-8 text, or nothing when the text is not a well-formed feed.
std::optional<TFeed> ReadFeed(std::string_view utf8);

// Plain text of a title that may hold HTML: tags dropped, character and the
// common named entities decoded, white space collapsed and trimmed.
std::string PlainTitle(std::string_view text, bool html);

}  // namespace zelvo::text
