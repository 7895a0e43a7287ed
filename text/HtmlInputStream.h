#pragma once
// The tokenizer's input stream: line ends made LF, and bytes that are not
// UTF-8 made U+FFFD, so that everything the tokenizer hands on is UTF-8.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvo::text::detail {

// Offsets in the preprocessed text against those in the original, one pair
// wherever the two begin to differ by a new amount, in ascending order.
using TOffsetMap = std::vector<std::pair<std::size_t, std::size_t>>;

// Whether in needs preprocessing; if so, out and offsets receive the result.
// Each ill-formed sequence (its longest valid-looking start) becomes one
// U+FFFD, as decoders of the Encoding Standard do.
bool PreprocessInput(std::string_view in, std::string& out, TOffsetMap& offsets);

// The same in text's own buffer, when it can be: line ends only ever
// shrink, so text that is already UTF-8 is made the tokenizer's input where
// it lies. Text with ill-formed sequences is left untouched and false
// returned (a replacement may be longer than what it replaces).
bool PreprocessInPlace(std::string& text, TOffsetMap& offsets);

// The original's offset of position in the preprocessed text.
std::size_t OriginalOffset(const TOffsetMap& offsets, std::size_t position);

}  // namespace zelvo::text::detail
