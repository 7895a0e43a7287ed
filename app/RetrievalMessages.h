#pragma once
// The texts the ticker shows when a fetch cannot be made or fails: one home,
// so the strip's box and the command-line tool never word them apart.
#include <optional>
#include <string>

#include "http/FetchResult.h"

namespace zelvo::app {

// The box shown when the site whose turn it is has no address.
inline constexpr const char* kEmptySiteMessage =
    "URL for this site is empty, check Configuration Dialog.   ";

// The reason part of the failure message, from the client's reason phrase.
std::string FailureReason(const std::string& reasonPhrase, int statusCode);

// "Unable to retrieve URL, " + the reason + "." + five blanks: what a failed
// fetch is reported as.
std::string FailureText(const http::TFetchResult& fetched);

// The failure box the ticker shows for a fetch: nothing after a success,
// and nothing for a failure that left no status (only the log tells of it).
std::optional<std::string> FailureMessage(const http::TFetchResult& fetched);

}  // namespace zelvo::app
