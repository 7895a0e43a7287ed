#include "app/RetrievalMessages.h"

#include "platform/Text.h"

namespace zelvo::app {

std::string FailureReason(const std::string& p, int statusCode) {
    std::string lower = platform::AsciiLower(p);
    if (lower.find("object not found") != std::string::npos)
        return "object not found";
    if (lower.find("resolve hostname to ip address") != std::string::npos)
        return "unresolved IP address or timed out";
    if (lower.find("file not found") != std::string::npos)
        return "file not found";
    if (statusCode == 200 && lower.find("ok") != std::string::npos)
        return "program busy";
    // A reason the server left empty still says what went wrong.
    if (platform::Trim(p).empty())
        return "status " + std::to_string(statusCode);
    // A reason that opens with an abbreviation ("HTTP", "TLS") keeps it.
    auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
    if (p[0] == 'H' || (p.size() > 1 && upper(p[0]) && upper(p[1])))
        return p;
    std::string r = p;
    r[0] = platform::AsciiLower(r[0]);
    return r;
}

std::string FailureText(const http::TFetchResult& fetched) {
    return "Unable to retrieve URL, " + FailureReason(fetched.ReasonPhrase, fetched.StatusCode) +
           "." + "     ";
}

std::optional<std::string> FailureMessage(const http::TFetchResult& fetched) {
    if (!fetched.Failed || fetched.StatusCode == 0)
        return std::nullopt;
    return FailureText(fetched);
}

}  // namespace zelvo::app
