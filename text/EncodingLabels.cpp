#include "text/EncodingLabels.h"

#include <algorithm>
#include <array>

namespace zelvo::text {
namespace {

bool IsAsciiWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

}  // namespace

std::optional<TEncoding> EncodingForLabel(std::string_view label) {
    while (!label.empty() && IsAsciiWhitespace(label.front()))
        label.remove_prefix(1);
    while (!label.empty() && IsAsciiWhitespace(label.back()))
        label.remove_suffix(1);
    // The longest label has 19 characters; anything longer names nothing.
    std::array<char, 24> lower{};
    if (label.empty() || label.size() > lower.size())
        return std::nullopt;
    for (std::size_t i = 0; i < label.size(); ++i) {
        const char c = label[i];
        lower[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    }
    const std::string_view key(lower.data(), label.size());
    const auto* begin = std::begin(indexes::kLabels);
    const auto* end = std::end(indexes::kLabels);
    const auto* it = std::lower_bound(
        begin, end, key, [](const indexes::TLabel& l, std::string_view k) { return l.label < k; });
    if (it == end || it->label != key)
        return std::nullopt;
    return it->encoding;
}

std::string_view EncodingName(TEncoding encoding) {
    return indexes::kEncodingNames[static_cast<std::size_t>(encoding)];
}

}  // namespace zelvo::text
