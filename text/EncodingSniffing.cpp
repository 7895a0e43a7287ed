#include "text/EncodingSniffing.h"

#include <string>
#include <vector>

#include "text/EncodingLabels.h"
#include "text/HtmlTokenizer.h"

namespace zelvo::text {
namespace {

bool IsSpace(unsigned char c) {
    return c == 0x09 || c == 0x0A || c == 0x0C || c == 0x0D || c == 0x20;
}

bool IsAsciiLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char LowerByte(unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 0x20 : c);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerByte(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    return true;
}

// A declared encoding as a page may use it: a page whose markup could be
// read byte by byte is not UTF-16, and x-user-defined is a font trick.
std::optional<TEncoding> AsDeclared(std::optional<TEncoding> encoding) {
    if (encoding == TEncoding::Utf16be || encoding == TEncoding::Utf16le)
        return TEncoding::Utf8;
    if (encoding == TEncoding::XUserDefined)
        return TEncoding::Windows1252;
    return encoding;
}

// The byte scan: a cursor over the bytes that gives up (returns nullopt)
// as soon as it runs off the end, wherever it is.
class TPrescan {
public:
    explicit TPrescan(std::string_view bytes) : b_(bytes) {}

    std::optional<TEncoding> Run() {
        while (pos_ < b_.size()) {
            if (StartsWith("<!--")) {
                // "<!-->" ends at once: the dashes may be the opening ones.
                const std::size_t end = b_.find("-->", pos_ + 2);
                if (end == std::string_view::npos)
                    return std::nullopt;
                pos_ = end + 2;
            } else if (StartsWithMeta()) {
                pos_ += 5;
                bool ranOut = false;
                const std::optional<TEncoding> found = Meta(ranOut);
                if (ranOut)
                    return std::nullopt;
                if (found)
                    return found;
            } else if (At(0) == '<' &&
                       (IsAsciiLetter(At(1)) || (At(1) == '/' && IsAsciiLetter(At(2))))) {
                while (pos_ < b_.size() && !IsSpace(At(0)) && At(0) != '>')
                    ++pos_;
                std::string name, value;
                bool ranOut = false;
                while (GetAttribute(name, value, ranOut)) {
                }
                if (ranOut)
                    return std::nullopt;
            } else if (StartsWith("<!") || StartsWith("</") || StartsWith("<?")) {
                const std::size_t end = b_.find('>', pos_ + 1);
                if (end == std::string_view::npos)
                    return std::nullopt;
                pos_ = end;
            }
            ++pos_;
        }
        return std::nullopt;
    }

private:
    unsigned char At(std::size_t ahead) const {
        return pos_ + ahead < b_.size() ? static_cast<unsigned char>(b_[pos_ + ahead]) : 0;
    }

    bool StartsWith(std::string_view s) const { return b_.substr(pos_, s.size()) == s; }

    bool StartsWithMeta() const {
        if (pos_ + 6 > b_.size() || At(0) != '<')
            return false;
        for (std::size_t k = 0; k < 4; ++k)
            if (LowerByte(At(1 + k)) != "meta"[k])
                return false;
        return IsSpace(At(5)) || At(5) == '/';
    }

    // One <meta>'s attributes; pos_ is just past "<meta".
    std::optional<TEncoding> Meta(bool& ranOut) {
        std::vector<std::string> seen;
        bool gotPragma = false;
        enum class TNeed { Unset, Pragma, NoPragma } need = TNeed::Unset;
        std::optional<TEncoding> charset;
        bool charsetFailed = false;
        std::string name, value;
        while (GetAttribute(name, value, ranOut)) {
            bool repeated = false;
            for (const std::string& s : seen)
                repeated = repeated || s == name;
            if (repeated)
                continue;
            seen.push_back(name);
            if (name == "http-equiv") {
                gotPragma = gotPragma || value == "content-type";
            } else if (name == "content") {
                if (const auto e = EncodingOfMetaContent(value); e && !charset && !charsetFailed) {
                    charset = e;
                    need = TNeed::Pragma;
                }
            } else if (name == "charset") {
                charset = EncodingForLabel(value);
                charsetFailed = !charset;
                need = TNeed::NoPragma;
            }
        }
        if (ranOut || need == TNeed::Unset || (need == TNeed::Pragma && !gotPragma))
            return std::nullopt;
        return AsDeclared(charset);
    }

    // Reads one attribute as the byte scan reads them (names and values
    // lower-cased); false when there is none before '>' or when the bytes
    // ran out (ranOut then says so).
    bool GetAttribute(std::string& name, std::string& value, bool& ranOut) {
        name.clear();
        value.clear();
        auto out = [&]() {
            ranOut = pos_ >= b_.size();
            return ranOut;
        };
        while (!out() && (IsSpace(At(0)) || At(0) == '/'))
            ++pos_;
        if (out() || At(0) == '>')
            return false;
        for (;; ++pos_) {
            if (out())
                return false;
            const unsigned char c = At(0);
            if (c == '=' && !name.empty()) {
                ++pos_;
                return Value(value, ranOut);
            }
            if (IsSpace(c))
                break;
            if (c == '/' || c == '>')
                return true;
            name += LowerByte(c);
        }
        while (!out() && IsSpace(At(0)))
            ++pos_;
        if (out())
            return false;
        if (At(0) != '=')
            return true;
        ++pos_;
        return Value(value, ranOut);
    }

    bool Value(std::string& value, bool& ranOut) {
        auto out = [&]() {
            ranOut = pos_ >= b_.size();
            return ranOut;
        };
        while (!out() && IsSpace(At(0)))
            ++pos_;
        if (out())
            return false;
        const unsigned char first = At(0);
        if (first == '"' || first == '\'') {
            for (++pos_;; ++pos_) {
                if (out())
                    return false;
                if (At(0) == first) {
                    ++pos_;
                    return true;
                }
                value += LowerByte(At(0));
            }
        }
        if (first == '>')
            return true;
        value += LowerByte(first);
        for (++pos_;; ++pos_) {
            if (out())
                return false;
            if (IsSpace(At(0)) || At(0) == '>')
                return true;
            value += LowerByte(At(0));
        }
    }

    std::string_view b_;
    std::size_t pos_ = 0;
};

// An XML declaration's encoding ("<?xml version="1.0" encoding="koi8-r"?>").
std::optional<TEncoding> XmlDeclarationEncoding(std::string_view bytes) {
    if (bytes.substr(0, 5) != "<?xml")
        return std::nullopt;
    const std::size_t declEnd = bytes.find('>');
    if (declEnd == std::string_view::npos)
        return std::nullopt;
    std::size_t i = bytes.find("encoding");
    if (i == std::string_view::npos || i > declEnd)
        return std::nullopt;
    i += 8;
    while (i < declEnd && static_cast<unsigned char>(bytes[i]) <= 0x20)
        ++i;
    if (i >= declEnd || bytes[i] != '=')
        return std::nullopt;
    ++i;
    while (i < declEnd && static_cast<unsigned char>(bytes[i]) <= 0x20)
        ++i;
    if (i >= declEnd || (bytes[i] != '"' && bytes[i] != '\''))
        return std::nullopt;
    const char quote = bytes[i++];
    const std::size_t close = bytes.find(quote, i);
    if (close == std::string_view::npos || close > declEnd)
        return std::nullopt;
    return AsDeclared(EncodingForLabel(bytes.substr(i, close - i)));
}

bool IsHeadElement(std::string_view name) {
    static constexpr std::string_view kHead[] = {
        "html",  "head",     "base",     "basefont", "bgsound", "link",    "meta",
        "title", "noframes", "noscript", "script",   "style",   "template"};
    for (std::string_view h : kHead)
        if (name == h)
            return true;
    return false;
}

struct THeadScan {
    std::optional<TEncoding> encoding;
    bool decided = false;  // found, or the head ended before the input did
};

THeadScan ScanHead(std::string_view utf8) {
    THtmlTokenizer tokenizer(utf8);
    THtmlToken token;
    while (tokenizer.Next(token)) {
        if (token.kind == TTokenKind::EndTag &&
            (token.data == "head" || token.data == "body" || token.data == "html"))
            return {std::nullopt, true};
        if (token.kind != TTokenKind::StartTag)
            continue;
        if (!IsHeadElement(token.data))
            return {std::nullopt, true};
        if (token.data != "meta")
            continue;
        // An unknown charset leaves the http-equiv of the same tag to try.
        if (const std::string* charset = token.Attribute("charset"))
            if (const auto encoding = EncodingForLabel(*charset))
                return {AsDeclared(encoding), true};
        const std::string* equiv = token.Attribute("http-equiv");
        const std::string* content = token.Attribute("content");
        if (equiv && content && EqualsIgnoringCase(*equiv, "content-type"))
            if (const auto encoding = EncodingOfMetaContent(*content))
                return {AsDeclared(encoding), true};
    }
    return {};
}

}  // namespace

std::optional<TEncoding> EncodingOfMetaContent(std::string_view s) {
    std::size_t pos = 0;
    for (;;) {
        // "charset", in any case, somewhere after pos.
        std::size_t at = std::string_view::npos;
        for (std::size_t k = pos; k + 7 <= s.size(); ++k) {
            bool match = true;
            for (std::size_t j = 0; j < 7 && match; ++j)
                match = LowerByte(static_cast<unsigned char>(s[k + j])) == "charset"[j];
            if (match) {
                at = k;
                break;
            }
        }
        if (at == std::string_view::npos)
            return std::nullopt;
        std::size_t i = at + 7;
        while (i < s.size() && IsSpace(static_cast<unsigned char>(s[i])))
            ++i;
        if (i >= s.size() || s[i] != '=') {
            pos = i;
            continue;
        }
        ++i;
        while (i < s.size() && IsSpace(static_cast<unsigned char>(s[i])))
            ++i;
        if (i >= s.size())
            return std::nullopt;
        if (s[i] == '"' || s[i] == '\'') {
            const std::size_t close = s.find(s[i], i + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            return EncodingForLabel(s.substr(i + 1, close - i - 1));
        }
        std::size_t end = i;
        while (end < s.size() && !IsSpace(static_cast<unsigned char>(s[end])) && s[end] != ';')
            ++end;
        return EncodingForLabel(s.substr(i, end - i));
    }
}

std::optional<TEncoding> PrescanForEncoding(std::string_view bytes) {
    // Markup in UTF-16 without a mark: only an XML declaration gives it away.
    if (bytes.substr(0, 6) == std::string_view("<\0?\0x\0", 6))
        return TEncoding::Utf16le;
    if (bytes.substr(0, 6) == std::string_view("\0<\0?\0x", 6))
        return TEncoding::Utf16be;
    if (auto found = TPrescan(bytes).Run())
        return found;
    return XmlDeclarationEncoding(bytes);
}

std::optional<TEncoding> EncodingDeclaredInHead(std::string_view utf8) {
    // Heads are mostly short and pages long: read a growing prefix rather
    // than hand the tokenizer the whole page. A tag cut off by the end of a
    // prefix is dropped, never mistaken, so what a prefix yields is what the
    // whole page would, and only a prefix without an answer needs more.
    for (std::size_t window = 16 * 1024;; window *= 8) {
        const THeadScan scan = ScanHead(utf8.substr(0, window));
        if (scan.decided || window >= utf8.size())
            return scan.encoding;
    }
}

}  // namespace zelvo::text
