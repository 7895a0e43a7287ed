#pragma once
// zelvo-page's fetch: the ticker's client and reading, run once, without
// windows or files.
#include <string>
#include <vector>

#include "text/PageConversion.h"
#include "text/PageReading.h"

namespace zelvo::tools {

struct FetchOptions {
    std::string url;
    std::string proxyHost;
    std::string proxyPort = "80";
    std::string username;
    std::string password;
    bool showLog = false;  // the exchange's log lines on stderr
    text::TPageReading reading = text::TPageReading::Headlines;
};

struct FetchResult {
    bool ok = false;
    std::string tickerText;
    std::vector<text::THeadline> headlines;  // where the text's headlines lead
    std::vector<std::string> feeds;          // the feeds the page declares
    bool plainText = false;  // the text's ampersands are plain (not the classic "&&")
    std::string message;     // what the ticker would have said, when it failed
};

// Needs a platform::CoreApplication.
FetchResult FetchPage(const FetchOptions& options);

}  // namespace zelvo::tools
