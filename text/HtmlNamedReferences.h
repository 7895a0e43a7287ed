#pragma once
// The named character references of HTML, generated into
// HtmlNamedReferences.cpp by scripts/gen-named-references.py.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zelvo::text::detail {

struct TNamedReference {
    std::uint16_t nameOffset;   // into kNamedReferenceNames
    std::uint8_t nameLength;    // the semicolon, where the name has one, included
    std::uint16_t valueOffset;  // into kNamedReferenceValues
    std::uint8_t valueLength;
};

extern const char kNamedReferenceNames[];
extern const char kNamedReferenceValues[];
// Sorted by name, byte by byte.
extern const TNamedReference kNamedReferences[];
extern const std::size_t kNamedReferenceCount;

struct TNamedMatch {
    std::size_t length = 0;  // bytes of text the name takes; 0: no name matches
    std::string_view value;  // its replacement, UTF-8
};

// The longest name in the table that text starts with (text begins after the
// ampersand).
TNamedMatch LongestNamedReference(std::string_view text);

}  // namespace zelvo::text::detail
