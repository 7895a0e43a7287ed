#include "text/PageReading.h"

#include <utility>

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
    if (auto feed = ReadReceivedFeed(bytes, contentType, headerCharset, pageUrl)) {
        read.line = std::move(*feed);
        return read;
    }
    TDecodedPage decoded = DecodePage(std::move(bytes), headerCharset);
    if (reading == TPageReading::Classic) {
        read.feeds = DeclaredFeeds(decoded.text, pageUrl);
        read.classic = true;
        read.line.text = ConvertPageUtf8(std::move(decoded.text));
    } else {
        THeadlineReading headlines = ReadHeadlines(std::move(decoded.text), pageUrl);
        read.line = HeadlineTickerPage(headlines);
        read.feeds = std::move(headlines.feeds);
    }
    read.line.charset = decoded.charset;
    return read;
}

}  // namespace zelvo::text
