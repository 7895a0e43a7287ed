#include "text/SimpleHTMLParser.h"

#include <array>
#include <utility>

#include "platform/Text.h"

namespace zelvo::text {

namespace {

// Control characters, line breaks and the blank separate tokens; NUL does
// not, it ends the text.
bool IsSeparator(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

// NUL cannot occur: the text was cut at the first one.
constexpr auto kEndsTextRun = [] {
    std::array<bool, 256> ends{};
    ends['<'] = ends['\n'] = ends['\r'] = true;
    return ends;
}();

}  // namespace

TSimpleHTMLParser::TSimpleHTMLParser(std::string text) : owned_(std::move(text)) {
    source_ = owned_;
    source_ = source_.substr(0, source_.find('\0'));
    Next();
}

TSimpleHTMLParser::TSimpleHTMLParser(InPlace, std::string_view text)
    : source_(text.substr(0, text.find('\0'))) {
    Next();
}

void TSimpleHTMLParser::Next() {
    tokenText_ = {};
    const std::size_t end = source_.size();
    while (cursor_ < end && IsSeparator(source_[cursor_]))
        ++cursor_;
    if (cursor_ >= end) {
        tokenKind_ = TTokenKind::End;
        return;
    }
    const std::string_view src = source_;
    if (src[cursor_] == '<') {
        const std::size_t start = cursor_ + 1;
        std::size_t close = src.find('>', start);
        if (close == std::string_view::npos) {
            tokenText_ = src.substr(start);
            cursor_ = end;
        } else {
            tokenText_ = src.substr(start, close - start);
            cursor_ = close + 1;
        }
        tokenKind_ = TTokenKind::Tag;
        return;
    }
    std::size_t stop = cursor_;
    while (stop < end && !kEndsTextRun[static_cast<unsigned char>(src[stop])])
        ++stop;
    tokenText_ = src.substr(cursor_, stop - cursor_);
    cursor_ = stop;
    tokenKind_ = TTokenKind::Text;
}

bool TSimpleHTMLParser::MatchesTag(std::string_view name) const {
    return platform::SameAsciiText(tokenText_, name) || tokenText_.starts_with(name);
}

}  // namespace zelvo::text
