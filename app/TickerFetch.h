#pragma once
// What the ticker asks of its HTTP client and what it makes of the answer.
// The retrieval cycle and the command-line preview both go this way, so a
// page previewed is fetched and read exactly as the strip would show it.
#include <string>
#include <vector>

#include "http/FetchResult.h"
#include "http/HttpProt.h"
#include "text/PageConversion.h"
#include "text/PageReading.h"

namespace zelvo::app {

// Limits of one fetch, in milliseconds. Every one ends well before the
// shortest interval's next tick (a minute), so that a site that never
// answers cannot hold the cycle when another site's turn comes.
inline constexpr unsigned kConnectLimit = 20000;
inline constexpr unsigned kSilenceLimit = 30000;
inline constexpr unsigned kRequestLimit = 45000;

// The client as the ticker sends its requests: its agent, no cache
// directive, a single thread, and the limits above.
void SetUpTickerClient(http::THttpCli& client);

// The line a successful fetch gives the strip.
struct TTickerLine {
    std::string text;                        // UTF-8
    bool plainText = false;                  // ampersands plain, not the classic "&&"
    std::vector<text::THeadline> headlines;  // where the text's headlines lead
    std::vector<std::string> feeds;          // the feeds the page declares, resolved
};

// The document read by the chosen reading; a success without a document
// shows the log's own lines by the classic rules. The body is consumed.
TTickerLine ReadFetchedPage(http::TFetchResult&& fetched, text::TPageReading reading);

}  // namespace zelvo::app
