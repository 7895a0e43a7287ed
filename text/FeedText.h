#pragma once
// The text of a feed's titles as the strip shows it: markup of escaped HTML
// dropped, references decoded, white space collapsed, cut to a length a
// reader takes in. Everything here works on characters, never on bytes, so
// no letter whose encoding shares a byte with a space or a control is torn.
#include <cstddef>
#include <string>
#include <string_view>

namespace zelvo::text {

// The longest headline, in characters, the ellipsis included.
inline constexpr std::size_t kMaxHeadlineChars = 300;

// Plain text of a title. html: the text is escaped HTML (tags dropped,
// every named and numeric reference decoded); else it is plain text already.
// White space (the no-break space and the other Unicode spaces included) is
// collapsed to single blanks and trimmed, controls are dropped, and bytes
// that are not UTF-8 come out as U+FFFD.
std::string PlainTitle(std::string_view text, bool html);

// text cut to at most maxChars characters: at the last blank that leaves a
// reasonable part of the text, else within a word, ending in "…".
std::string CutHeadline(std::string text, std::size_t maxChars = kMaxHeadlineChars);

// Whether an element of this (lower-case) name joins the words around it,
// as inline elements do; any other tag stands between two words.
bool IsInlineElement(std::string_view name);

// Base64 with white space between the groups; stops at the first "=" or at
// the first character outside the alphabet.
std::string DecodeBase64Text(std::string_view text);

}  // namespace zelvo::text
