#pragma once
// Character references as the tokenizer reads them, shared by the tokenizer
// and by DecodeCharacterReferences.
#include <cstddef>
#include <string>
#include <string_view>

namespace zelvo::text::detail {

// text starts at an ampersand. Appends what the reference stands for to out,
// or the characters themselves where they make no reference, and returns the
// bytes consumed (at least the ampersand). inAttribute selects the attribute
// value's legacy rule: "&copy=" and "&notit" stay as written there.
std::size_t ConsumeCharacterReference(std::string_view text, bool inAttribute, std::string& out);

}  // namespace zelvo::text::detail
