#include "http/ResponseLines.h"

#include "http/TextRules.h"

namespace zelvo::http {

TStatusParse ParseStatusLine(std::string_view line, TStatusLine& out) {
    if (!StartsWith(line, "HTTP/1.0") && !StartsWith(line, "HTTP/1.1"))
        return TStatusParse::NotStatusLine;
    std::optional<std::int64_t> code = ParseDecimal(Copy(line, 10, 3), 0x7FFFFFFF);
    if (!code)
        return TStatusParse::Malformed;
    out.Version = std::string(line.substr(5, 3));
    out.StatusCode = static_cast<int>(*code);
    out.ReasonPhrase = Copy(line, 14, static_cast<int>(line.size()));
    return TStatusParse::Ok;
}

bool ParseHeaderLine(std::string_view line, THeaderField& out) {
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return false;
    out.Name = LowerAscii(line.substr(0, colon));
    out.Value = Copy(line, static_cast<int>(colon) + 3, static_cast<int>(line.size()));
    return true;
}

std::optional<std::int64_t> ParseContentLength(std::string_view value) {
    std::optional<std::int64_t> n = ParseDecimal(value, INT64_MAX);
    if (!n || *n < 0)
        return std::nullopt;
    return n;
}

std::size_t FindLineEnd(std::string_view data) {
    return data.find('\n');
}

std::string_view LineBefore(std::string_view data, std::size_t lineEnd) {
    std::string_view line = data.substr(0, lineEnd);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

}  // namespace zelvo::http
