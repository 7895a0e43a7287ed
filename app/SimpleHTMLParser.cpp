#include "app/SimpleHTMLParser.h"

#include <utility>

#include "platform/Text.h"

namespace zelvo::app {

namespace {

// Control characters, line breaks and the blank separate tokens; NUL does
// not, it ends the text.
bool IsSeparator(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

// NUL cannot occur: the text was cut at the first one.
bool EndsTextRun(char c) {
    return c == '<' || c == '\n' || c == '\r';
}

}  // namespace

TSimpleHTMLParser::TSimpleHTMLParser(std::string text) : source_(std::move(text)) {
    if (const std::size_t nul = source_.find('\0'); nul != std::string::npos)
        source_.resize(nul);
    Next();
}

void TSimpleHTMLParser::Next() {
    tokenText_.clear();
    const std::size_t end = source_.size();
    while (cursor_ < end && IsSeparator(source_[cursor_]))
        ++cursor_;
    if (cursor_ >= end) {
        tokenKind_ = TTokenKind::End;
        return;
    }
    const std::string_view src(source_);
    if (src[cursor_] == '<') {
        const std::size_t start = cursor_ + 1;
        std::size_t close = src.find('>', start);
        if (close == std::string_view::npos) {
            tokenText_.assign(src.substr(start));
            cursor_ = end;
        } else {
            tokenText_.assign(src.substr(start, close - start));
            cursor_ = close + 1;
        }
        tokenKind_ = TTokenKind::Tag;
        return;
    }
    std::size_t stop = cursor_;
    while (stop < end && !EndsTextRun(src[stop]))
        ++stop;
    tokenText_.assign(src.substr(cursor_, stop - cursor_));
    cursor_ = stop;
    tokenKind_ = TTokenKind::Text;
}

bool TSimpleHTMLParser::IsTag(std::string_view name) const {
    if (tokenKind_ != TTokenKind::Tag)
        return false;
    return platform::SameAsciiText(tokenText_, name) ||
           std::string_view(tokenText_).starts_with(name);
}

}  // namespace zelvo::app
