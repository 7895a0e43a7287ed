#include "app/TickerFetch.h"

#include <utility>

namespace zelvo::app {

void SetUpTickerClient(http::THttpCli& client) {
    client.SetProxyPort("80");
    client.SetAgent("Mozilla/2.0 (compatible)");
    client.SetNoCache(false);
    client.SetContentTypePost("application/x-www-form-urlencoded");
    client.SetMultiThreaded(false);
    client.SetConnectTimeOut(kConnectLimit);
    client.SetReceiveTimeOut(kSilenceLimit);
    client.SetRequestTimeOut(kRequestLimit);
}

TTickerLine ReadFetchedPage(http::TFetchResult&& fetched, text::TPageReading reading) {
    TTickerLine line;
    if (!fetched.Body) {
        line.text = text::ConvertBufferText(text::BufferText(fetched.Log));
        return line;
    }
    // The body moves on into the reading, which lets go of what it read: a
    // large page is never held twice here.
    text::TPageRead read = text::ReadReceivedPage(std::move(*fetched.Body), fetched.ContentType,
                                                  fetched.FinalURL, reading);
    fetched.Body.reset();
    line.text = std::move(read.line.text);
    line.plainText = !read.classic;
    line.headlines = std::move(read.line.headlines);
    line.feeds = std::move(read.feeds);
    return line;
}

}  // namespace zelvo::app
