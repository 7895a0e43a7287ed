#pragma once
// A feed's bytes turned into UTF-8. Feeds follow XML's rule, not a web
// page's: a byte-order mark, then the response's charset, then UTF-16 told by
// the first bytes alone (a document that starts with "<" or "<?" written in
// sixteen-bit units), then the XML declaration's encoding, and else UTF-8,
// where a malformed sequence is one U+FFFD and never turns the whole feed
// into another charset.
#include <string>
#include <string_view>

namespace zelvo::text {

struct TDecodedFeed {
    std::string text;     // UTF-8
    std::string charset;  // what it was read as
};

TDecodedFeed DecodeFeed(std::string_view bytes, std::string_view headerCharset = {});

// Whether the bytes are a feed by their first element (in UTF-8, in an
// ASCII-compatible charset, or in UTF-16 with or without a mark).
bool LooksLikeFeed(std::string_view bytes);

}  // namespace zelvo::text
