#pragma once
// What a page's own bytes say about their encoding: a <meta> in the first
// bytes found without decoding them, an XML declaration, or a <meta> met
// later in the head by the tokenizer.
#include <optional>
#include <string_view>

#include "text/EncodingIndexes.h"

namespace zelvo::text {

// How much of a page the byte scan reads: a declaration must come early.
inline constexpr std::size_t kPrescanLength = 1024;

// The encoding a <meta charset> or <meta http-equiv=content-type> in bytes
// declares, read the way browsers read it before decoding (comments and
// other tags' attributes skipped; a <meta> cut off by the end of bytes
// counts for nothing), else an XML declaration's encoding. A declaration of
// UTF-16 means UTF-8 (the page was readable as ASCII), and x-user-defined
// means windows-1252. Pass at most kPrescanLength bytes.
std::optional<TEncoding> PrescanForEncoding(std::string_view bytes);

// The encoding named by "charset=" in a <meta> content value
// ("text/html; charset=koi8-r"), or nullopt.
std::optional<TEncoding> EncodingOfMetaContent(std::string_view content);

// The first <meta> in the head of an already decoded page (ASCII-compatible
// UTF-8) that names a known encoding; the search ends at </head> or at the
// first start tag that belongs in the body. The same mapping of UTF-16 and
// x-user-defined applies.
std::optional<TEncoding> EncodingDeclaredInHead(std::string_view utf8);

}  // namespace zelvo::text
