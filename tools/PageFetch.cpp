#include "PageFetch.h"

#include <cstdio>
#include <utility>

#include "app/RetrievalMessages.h"
#include "app/TickerFetch.h"
#include "http/HttpProt.h"
#include "text/ControlCharacters.h"

namespace zelvo::tools {

FetchResult FetchPage(const FetchOptions& options) {
    http::THttpCli client;
    app::SetUpTickerClient(client);
    client.SetURL(options.url);
    client.SetProxy(options.proxyHost);
    client.SetProxyPort(options.proxyPort);
    client.SetUsername(options.username);
    client.SetPassword(options.password);
    http::TFetchResult fetched = client.Fetch();

    if (options.showLog) {
        // The log quotes the server, which may write anything.
        for (const std::string& line : fetched.Log)
            std::fprintf(stderr, "%s\n", text::TerminalSafe(line).c_str());
    }
    FetchResult result;
    if (fetched.Failed) {
        // The ticker's own words, without the blanks that pad its box.
        result.message = app::FailureText(fetched);
        while (!result.message.empty() && result.message.back() == ' ')
            result.message.pop_back();
        return result;
    }
    app::TTickerLine line = app::ReadFetchedPage(std::move(fetched), options.reading);
    result.ok = true;
    result.tickerText = std::move(line.text);
    result.headlines = std::move(line.headlines);
    result.feeds = std::move(line.feeds);
    result.plainText = line.plainText;
    return result;
}

}  // namespace zelvo::tools
