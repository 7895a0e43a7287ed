#pragma once
// The conversion in its historical form: bytes of Windows-1252, and every
// replacement and every removal searching the text from its start again. Its
// cost grows with occurrences times length, so the ticker does not use it; it
// is the yardstick the character conversion is checked and measured against
// (its result, read as Windows-1252, is what the ticker must show).
#include <string>
#include <string_view>

namespace zelvo::text::reference {

void StripComments(std::string& text);
std::string ReplaceAll(std::string_view find, std::string_view text, std::string_view replacement);
void RemoveRange(std::string& text, std::string_view open, int maxDistance, std::string_view close);

// The whole road of a page: line buffer, comments, tokens, the 38 rows.
std::string PageToTickerText(std::string_view pageBytes);

}  // namespace zelvo::text::reference
