#pragma once
// What one fetch gives its caller, once and whole: the answer, the document
// and the lines of the exchange's log. The client builds it while the request
// runs, so a caller never has to piece a fetch together from events, streams
// and files.
#include <optional>
#include <string>
#include <vector>

namespace zelvo::http {

struct TFetchResult {
    // The request failed: a status of 400 or more (the client's own 404
    // covers lookups, connections, limits and Abort), or the client refused
    // to start it. StatusCode and ReasonPhrase then say why, as the client
    // holds them; a refused request leaves them as the last one set them.
    bool Failed = false;
    int StatusCode = 0;
    std::string ReasonPhrase;
    std::string ContentType;
    // The document's address after every relocation: what its relative
    // links are resolved against.
    std::string FinalURL;
    // The whole document, when one arrived and the fetch succeeded; a
    // success without a body (an empty answer) has none.
    std::optional<std::string> Body;
    // The log file's lines, in order, credentials masked: the commands, the
    // document's begin, the request's end, then the answer's status and
    // header lines after a success, or the failure's three lines.
    std::vector<std::string> Log;
};

}  // namespace zelvo::http
