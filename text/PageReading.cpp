#include "text/PageReading.h"

#include <utility>

#include "text/FeedCharset.h"
#include "text/FeedReader.h"
#include "text/HeadlineReader.h"
#include "text/PageDecoding.h"

namespace zelvo::text {

TPageReading PageReadingNamed(std::string_view name) {
    std::string lower(name);
    for (char& c : lower)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return lower == "classic" ? TPageReading::Classic : TPageReading::Headlines;
}

const char* PageReadingName(TPageReading reading) {
    return reading == TPageReading::Classic ? kClassicReading : kHeadlinesReading;
}

TPageRead ReadReceivedPage(std::string&& bytes, std::string_view contentType,
                           std::string_view pageUrl, TPageReading reading,
                           std::string_view charset) {
    const std::string headerCharset =
        charset.empty() ? CharsetOfContentType(contentType) : std::string(charset);
    TPageRead read;
    if (IsFeedMediaType(contentType) || LooksLikeFeed(bytes)) {
        // A feed is decoded by XML's rule, not a page's: the page rule would
        // read a whole undeclared feed as windows-1252 for one bad byte.
        const TDecodedFeed decodedFeed = DecodeFeed(bytes, headerCharset);
        if (auto feed = ReadFeed(decodedFeed.text, pageUrl)) {
            read.line = FeedTickerPage(*feed);
            read.line.charset = decodedFeed.charset;
            return read;
        }
    }
    TDecodedPage decoded = DecodePage(std::move(bytes), headerCharset);
    if (reading == TPageReading::Classic) {
        read.feeds = DeclaredFeeds(decoded.text, pageUrl);
        read.classic = true;
        read.line.text = ConvertPageUtf8(std::move(decoded.text));
    } else {
        THeadlineReading headlines = ReadHeadlines(decoded.text, pageUrl);
        read.line = HeadlineTickerPage(headlines);
        read.feeds = std::move(headlines.feeds);
    }
    read.line.charset = decoded.charset;
    return read;
}

}  // namespace zelvo::text
