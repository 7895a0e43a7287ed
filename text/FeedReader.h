#pragma once
// News feeds read as their headlines: the feed's title and link, then each
// item's title and link in the feed's order. RSS 0.9x, 2.0 and 1.0 (RDF),
// Atom 0.3 and 1.0, with or without their namespaces, are read the way a
// browser reads tag soup: a feed that is not well-formed XML (misnested or
// unclosed elements, unbound prefixes, undefined entities, content after the
// root) still gives its headlines. Titles come out as plain text; links
// come out absolute, resolved against xml:base and the feed's own address,
// and only when a browser may open them (http and https).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/FeedText.h"
#include "text/HtmlTokenizer.h"

namespace zelvo::text {

struct TFeedItem {
    std::string title;  // UTF-8, at most kMaxHeadlineChars characters
    std::string link;   // absolute http or https, or ""
};

struct TFeed {
    std::string title;
    std::string link;
    std::vector<TFeedItem> items;  // only items with a title, at most kMaxFeedItems
};

inline constexpr std::size_t kMaxFeedItems = 200;

// Media types that announce a feed.
bool IsFeedMediaType(std::string_view mediaType);

// Whether decoded text is a feed by its first element (rss, RDF or feed,
// after any white space, byte-order mark, comments, processing instructions
// and DOCTYPE).
bool HasFeedRoot(std::string_view utf8);

// The feed in UTF-8 text; baseUrl is the address the feed was fetched from,
// after relocations. Nothing when the text has no feed in it at all: neither
// a feed's root element nor a channel, item or entry.
std::optional<TFeed> ReadFeed(std::string_view utf8, std::string_view baseUrl = {});

// --- The reader behind ReadFeed --------------------------------------------

// The feed built from a document's elements and text as they come: from the
// tokenizer's XML-like reading, or from any reader that reports start tags,
// text and end tags. End tags need not match: an end tag closes the open
// element of its name and every element opened inside it, one that closes
// nothing is ignored, and whatever is open at the end is closed then.
class TFeedReader {
public:
    explicit TFeedReader(std::string_view baseUrl);

    // False when the element was too deep to be opened (its end tag, or a
    // self-closing tag's implied one, must then not be reported).
    bool StartElement(std::string_view name, const std::vector<THtmlAttribute>& attributes);
    void Text(std::string_view text);
    void EndElement(std::string_view name);

    // Closes what is still open; nothing when no feed was seen.
    std::optional<TFeed> Finish();

private:
    enum class TRole : std::uint8_t { Other, Root, Channel, Item };
    enum class TVocabulary : std::uint8_t { Feed, DublinCore, Other };
    enum class TTarget : std::uint8_t {
        None,
        FeedTitle,
        FeedDcTitle,
        FeedLink,
        ItemTitle,
        ItemDcTitle,
        ItemLink,
        ItemGuid,
        ItemPermalink
    };
    enum class TFormat : std::uint8_t { Plain, Html, Base64Plain, Base64Html };

    struct TOpen {
        std::string name;
        TRole role = TRole::Other;
        bool ownBase = false;
        std::uint16_t bindings = 0;  // namespace declarations it made
    };

    // The best link so far; a lower rank wins, the first of a rank stays.
    struct TLink {
        std::string url;
        int rank = 100;
        void Offer(std::string candidate, int candidateRank);
    };

    TVocabulary VocabularyOf(std::string_view name, bool& atom) const;
    const std::string* Namespace(std::string_view prefix) const;
    void Bind(const std::vector<THtmlAttribute>& attributes, TOpen& open);
    void StartTarget(TTarget target, TFormat format);
    void OfferHref(TLink& link, const std::vector<THtmlAttribute>& attributes);
    void CloseThrough(std::size_t index);
    void Close(TOpen& open);
    void FinishTarget();
    void FinishItem();

    std::vector<TOpen> open_;
    std::vector<std::pair<std::string, std::string>> bindings_;  // prefix, namespace
    std::vector<std::string> bases_;
    enum class TKind : std::uint8_t { None, Rss, Rdf, Atom } kind_ = TKind::None;
    bool rootSeen_ = false;
    bool structureSeen_ = false;  // a channel, item or entry

    TTarget target_ = TTarget::None;
    TFormat format_ = TFormat::Plain;
    std::size_t targetIndex_ = 0;
    std::string collected_;

    bool inItem_ = false;
    std::size_t itemIndex_ = 0;
    std::string itemTitle_, itemDcTitle_;
    TLink itemLink_;

    std::string feedTitle_, feedDcTitle_;
    TLink feedLink_;
    std::vector<TFeedItem> items_;
};

}  // namespace zelvo::text
