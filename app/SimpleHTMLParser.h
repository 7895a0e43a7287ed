#pragma once
// The page tokenizer of the ticker: it splits a page into text runs and tags
// and nothing more. It does not understand HTML (no attributes, no nesting,
// no entities); the conversion only needs to know where text runs and which
// few tags break lines or mark links.
#include <string>
#include <string_view>

namespace zelvo::app {

class TSimpleHTMLParser {
public:
    enum class TTokenKind { End, Text, Tag };

    // Reads the first token at once. A NUL byte ends the text: nothing after
    // it is ever scanned.
    explicit TSimpleHTMLParser(std::string text);

    void Next();

    // A tag whose whole text is name in any letter case, or whose text starts
    // with name exactly: "P" matches P, PRE and P with attributes, while a
    // lower-case tag matches only when it is the bare name.
    bool IsTag(std::string_view name) const;

    const std::string& TokenText() const { return tokenText_; }
    TTokenKind TokenKind() const { return tokenKind_; }

private:
    std::string source_;
    std::size_t cursor_ = 0;
    std::string tokenText_;
    TTokenKind tokenKind_ = TTokenKind::End;
};

}  // namespace zelvo::app
