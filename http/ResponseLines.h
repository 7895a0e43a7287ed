#pragma once
// The rules that turn one received response line into fields: bytes in,
// fields out, no client state and no sockets, so they can be checked alone
// and fed anything.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvo::http {

enum class TStatusParse : std::uint8_t {
    NotStatusLine,  // the line does not start with HTTP/1.0 or HTTP/1.1
    Ok,
    Malformed,  // it does, but no number stands where the code belongs
};

struct TStatusLine {
    std::string Version;  // "1.0" or "1.1"
    int StatusCode = 0;
    std::string ReasonPhrase;
};

// The code is read from the three characters after "HTTP/1.x ", the reason
// phrase is everything from the character after them.
TStatusParse ParseStatusLine(std::string_view line, TStatusLine& out);

struct THeaderField {
    std::string Name;  // lower-cased, not trimmed
    std::string Value;
};

// Splits at the first ":"; exactly one separator character after it is
// skipped, nothing is trimmed. False when the line holds no ":".
bool ParseHeaderLine(std::string_view line, THeaderField& out);

// A Content-Length value: a decimal count of bytes, not negative; nothing
// when the text is anything else.
std::optional<std::int64_t> ParseContentLength(std::string_view value);

// The end of the first line in data: the position of its line feed, or
// npos when the line has not ended yet.
std::size_t FindLineEnd(std::string_view data);

// The line before a line feed, without a carriage return just before it.
std::string_view LineBefore(std::string_view data, std::size_t lineEnd);

}  // namespace zelvo::http
