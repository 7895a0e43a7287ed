#pragma once
// What stands before a feed's root element: white space, a byte-order mark,
// the XML declaration, comments, processing instructions and a DOCTYPE,
// whose internal subset may declare entities. Read at any length: a licence
// in a comment can be longer than any fixed window.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvo::text {

struct TProlog {
    bool hasRoot = false;
    bool ranOut = false;  // the text ended before the prolog did
    std::size_t rootOffset = 0;  // the "<" of the root element's start tag
    std::string_view rootName;   // as written, prefix included
    // General entities of the internal subset, name and replacement text,
    // the first declaration of a name winning.
    std::vector<std::pair<std::string, std::string>> entities;
};

TProlog ScanProlog(std::string_view text);

// Whether a root element's name is that of a feed: rss, feed, or RDF (with
// any prefix).
bool IsFeedRootName(std::string_view qualifiedName);

// body with every reference to one of entities replaced by its replacement
// text (references inside it expanded too). At most budget bytes are added
// in all; references beyond that, and circular ones, expand to nothing.
std::string ExpandDeclaredEntities(std::string_view body,
                                   const std::vector<std::pair<std::string, std::string>>& entities,
                                   std::size_t budget);

}  // namespace zelvo::text
