#pragma once
// Links found in pages are written relative to the page they sit on. These
// helpers turn them into absolute URLs the way a browser reads a page's
// links, and tell which of them may be handed to a browser.
#include <string>
#include <string_view>

namespace zelvo::text {

// The absolute URL that reference names when it appears on the page at base.
// Blanks and controls around either text are ignored, tabs and line breaks
// inside are removed, and in http and https URLs a backslash counts as a
// slash. An empty reference names the base itself without its fragment.
// Returns "" when base has no scheme and reference is relative.
std::string ResolveUrl(std::string_view base, std::string_view reference);

// Whether url is an absolute http:// or https:// URL with a host (the scheme
// in any letter case), and nothing else: other schemes, relative URLs and
// URLs carrying control characters are refused.
bool IsOpenableLink(std::string_view url);

}  // namespace zelvo::text
