// Any bytes read as a fetched feed is read: decoded by the feed's charset
// rule, then read as tag soup against a base address. Whatever comes in, the
// headlines stay few, short, well-formed UTF-8, and their links openable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/FeedCharset.h"
#include "text/FeedReader.h"
#include "text/UrlResolution.h"
#include "text/Utf8.h"

using namespace zelvo::text;

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

void CheckTitle(const std::string& title) {
    Check(IsValidUtf8(title));
    Check(CharCount(title) <= kMaxHeadlineChars);
}

void CheckLink(const std::string& link) {
    Check(link.empty() || IsOpenableLink(link));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)LooksLikeFeed(bytes);
    const TDecodedFeed decoded = DecodeFeed(bytes);
    Check(IsValidUtf8(decoded.text));
    const auto feed = ReadFeed(decoded.text, "http://127.0.0.1/dir/feed.xml");
    if (!feed)
        return 0;
    Check(feed->items.size() <= kMaxFeedItems);
    CheckTitle(feed->title);
    CheckLink(feed->link);
    std::size_t total = feed->title.size() + feed->link.size();
    for (const TFeedItem& item : feed->items) {
        Check(!item.title.empty());
        CheckTitle(item.title);
        CheckLink(item.link);
        total += item.title.size() + item.link.size();
    }
    // Never more than a few times the input, however its entities expand.
    Check(total <= 8 * size + 64 * 1024);
    return 0;
}
