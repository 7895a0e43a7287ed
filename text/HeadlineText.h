#pragma once
// The text of a page as a reader gathers it from character tokens: white
// space collapsed, words counted, long text cut at a word.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace zelvo::text::html {

// Text with its white space collapsed to single blanks and trimmed, up to a
// number of characters.
class TCollector {
public:
    explicit TCollector(std::size_t maxChars) : max_(maxChars) {}

    void Add(std::string_view s) {
        if (overflow_)
            return;  // a long page's text is not looked at past what is kept
        const std::size_t n = s.size();
        for (std::size_t i = 0; i < n;) {
            const auto c = static_cast<unsigned char>(s[i]);
            if (c <= 0x20 || c == 0x7F) {
                Space();
                ++i;
                continue;
            }
            if (c < 0x7F && !full_) {
                // A run of printable ASCII goes in at once.
                std::size_t j = i + 1;
                const std::size_t room = i + (max_ - chars_);
                while (j < n && j<room&& static_cast<unsigned char>(s[j])> 0x20 &&
                       static_cast<unsigned char>(s[j]) < 0x7F)
                    ++j;
                if (space_) {
                    text_ += ' ';
                    ++chars_;
                    space_ = false;
                }
                text_.append(s, i, j - i);
                chars_ += j - i;
                if (chars_ >= max_)
                    full_ = true;
                i = j;
                continue;
            }
            std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            len = std::min(len, n - i);
            const std::string_view ch = s.substr(i, len);
            i += len;
            // No-break and typographic spaces count as blanks; zero-width
            // ones and the byte-order mark as nothing.
            if (ch == "\xC2\xA0" || ch == "\xE3\x80\x80" ||
                (len == 3 && ch[0] == '\xE2' && ch[1] == '\x80' &&
                 static_cast<unsigned char>(ch[2]) <= 0x8A) ||
                ch == "\xE2\x80\xAF" || ch == "\xE2\x81\x9F") {
                Space();
                continue;
            }
            if (ch == "\xE2\x80\x8B" || ch == "\xEF\xBB\xBF" || ch == "\xC2\xAD")
                continue;
            if (full_) {
                overflow_ = true;
                continue;
            }
            if (space_) {
                text_ += ' ';
                ++chars_;
                space_ = false;
            }
            text_ += ch;
            if (++chars_ >= max_)
                full_ = true;
        }
    }
    // A word break: block edges and line breaks separate words.
    void Break() { Space(); }
    void Clear() {
        text_.clear();
        chars_ = 0;
        space_ = full_ = overflow_ = false;
    }
    const std::string& Text() const { return text_; }
    std::string Take() {
        std::string t = std::move(text_);
        Clear();
        return t;
    }

private:
    void Space() { space_ = !text_.empty(); }

    std::string text_;
    std::size_t max_;
    std::size_t chars_ = 0;
    bool space_ = false;
    bool full_ = false;
    bool overflow_ = false;
};

// Words in collapsed text. Scripts written without spaces count a word for
// every two of their characters, so their headlines are not all one word.
std::size_t CountWords(std::string_view text);

// Cuts text after at most maxChars characters, at the last blank before the
// cut when there is one in the last fifth; ellipsis marks a cut headline.
std::string CutAtWord(std::string text, std::size_t maxChars, bool ellipsis);

}  // namespace zelvo::text::html
