#pragma once
// Encodings by the labels pages and servers give them, and by their names.
#include <optional>
#include <string_view>

#include "text/EncodingIndexes.h"

namespace zelvo::text {

// The encoding a label names, ASCII white space around it ignored and its
// letters in any case; nullopt for anything else (no guessing: "utf-8//x",
// "ucs-4" or "latin-1" name nothing).
std::optional<TEncoding> EncodingForLabel(std::string_view label);

// The encoding's name: "UTF-8", "windows-1252", "Shift_JIS", "EUC-KR"...
std::string_view EncodingName(TEncoding encoding);

}  // namespace zelvo::text
