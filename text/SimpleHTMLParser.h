#pragma once
// The page tokenizer of the ticker: it splits a page into text runs and tags
// and nothing more. It does not understand HTML (no attributes, no nesting,
// no entities); the conversion only needs to know where text runs and which
// few tags break lines or mark links.
#include <string>
#include <string_view>

namespace zelvo::text {

class TSimpleHTMLParser {
public:
    enum class TTokenKind { End, Text, Tag };

    // Reads the first token at once. A NUL byte ends the text: nothing after
    // it is ever scanned.
    explicit TSimpleHTMLParser(std::string text);
    // Reads text in place: the caller keeps it alive and unchanged from
    // Position() on.
    static TSimpleHTMLParser Over(std::string_view text) { return {InPlace{}, text}; }
    // The token points into the text being read.
    TSimpleHTMLParser(const TSimpleHTMLParser&) = delete;
    TSimpleHTMLParser& operator=(const TSimpleHTMLParser&) = delete;

    void Next();

    // A tag whose whole text is name in any letter case, or whose text starts
    // with name exactly: "P" matches P, PRE and P with attributes, while a
    // lower-case tag matches only when it is the bare name.
    bool IsTag(std::string_view name) const {
        if (tokenKind_ != TTokenKind::Tag)
            return false;
        if (name.empty())
            return true;
        // Either test needs the first letters equal but for case: most tags
        // are turned away here, and a page holds a great many.
        if (tokenText_.empty() || (tokenText_[0] | 0x20) != (name[0] | 0x20))
            return false;
        return MatchesTag(name);
    }

    // Valid until the next call of Next.
    std::string_view TokenText() const { return tokenText_; }
    TTokenKind TokenKind() const { return tokenKind_; }
    // Where reading goes on: everything before it has been read.
    std::size_t Position() const { return cursor_; }

private:
    struct InPlace {};
    TSimpleHTMLParser(InPlace, std::string_view text);
    bool MatchesTag(std::string_view name) const;

    std::string owned_;
    std::string_view source_;  // owned_, or the text read in place
    std::size_t cursor_ = 0;
    std::string_view tokenText_;  // into source_
    TTokenKind tokenKind_ = TTokenKind::End;
};

}  // namespace zelvo::text
