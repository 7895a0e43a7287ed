// Any bytes as received response lines: the line rules must neither crash
// nor read outside the line, and what they return must hold together.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "http/ResponseLines.h"

using namespace zelvo::http;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    while (!bytes.empty()) {
        std::size_t end = FindLineEnd(bytes);
        std::string_view line = end == std::string_view::npos ? bytes : LineBefore(bytes, end);
        TStatusLine status;
        if (ParseStatusLine(line, status) == TStatusParse::Ok &&
            (status.StatusCode < -99 || status.StatusCode > 999 ||
             status.ReasonPhrase.size() > line.size()))
            std::abort();
        THeaderField field;
        if (ParseHeaderLine(line, field)) {
            if (field.Name.size() + field.Value.size() > line.size())
                std::abort();
            std::optional<std::int64_t> n = ParseContentLength(field.Value);
            if (n && *n < 0)
                std::abort();
        }
        if (end == std::string_view::npos)
            break;
        bytes.remove_prefix(end + 1);
    }
    return 0;
}
