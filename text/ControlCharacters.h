#pragma once
// Pages and feeds are written by strangers. Their text reaches the strip and
// the terminal, where a control character can move the cursor, retitle a
// window or turn the rest of a line around; these helpers take such
// characters out of UTF-8 text.
#include <string>
#include <string_view>

namespace zelvo::text {

// For text read from a page or feed: tab, line feed, carriage return and form
// feed become a blank; every other C0 control, DEL, every C1 control and the
// bidirectional embeddings, overrides and isolates (U+202A to U+202E, U+2066
// to U+2069) are dropped, so each headline keeps its own direction and none
// spills over into the next. Bytes that are not well-formed UTF-8 are left
// as they are.
void DropControls(std::string& utf8);

// For text written to a terminal: every C0 control but line feed, DEL, every
// C1 control and the bidirectional controls above become U+FFFD, and so does
// each ill-formed UTF-8 sequence.
std::string TerminalSafe(std::string_view utf8);

}  // namespace zelvo::text
