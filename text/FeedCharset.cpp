#include "text/FeedCharset.h"

#include <algorithm>

#include "text/FeedProlog.h"
#include "text/PageDecoding.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace {

enum class TUtf16 { No, LittleEndian, BigEndian };

bool StartsWith(std::string_view s, std::string_view p) {
    return s.substr(0, p.size()) == p;
}

// UTF-16 without a mark: the first units are ASCII ("<" and a name, "?" or
// "!", after any white space), so every other byte is zero.
TUtf16 Utf16ByPattern(std::string_view b) {
    for (const bool little : {true, false}) {
        // The ASCII character of the unit at k, or -1.
        auto unit = [&](std::size_t k) -> int {
            const char low = little ? b[k] : b[k + 1];
            const char high = little ? b[k + 1] : b[k];
            return high == 0 && low > 0 ? low : -1;
        };
        std::size_t i = 0;
        while (i + 1 < b.size() && i < 512) {
            const int c = unit(i);
            if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
                break;
            i += 2;
        }
        if (i + 3 < b.size() && unit(i) == '<' && unit(i + 2) > ' ')
            return little ? TUtf16::LittleEndian : TUtf16::BigEndian;
    }
    return TUtf16::No;
}

// The encoding named by an XML declaration after any white space, or "".
std::string XmlDeclarationEncoding(std::string_view bytes) {
    std::size_t i = 0;
    if (StartsWith(bytes, "\xEF\xBB\xBF"))
        i = 3;
    while (i < bytes.size() && i < 1024 &&
           (bytes[i] == ' ' || bytes[i] == '\n' || bytes[i] == '\r' || bytes[i] == '\t'))
        ++i;
    const std::string_view head = bytes.substr(i, 1024);
    if (!StartsWith(head, "<?xml"))
        return {};
    const std::string_view decl = head.substr(0, head.find("?>"));
    const std::size_t at = decl.find("encoding");
    if (at == std::string_view::npos)
        return {};
    std::size_t j = at + 8;
    while (j < decl.size() && (decl[j] == ' ' || decl[j] == '=' || decl[j] == '\t'))
        ++j;
    if (j >= decl.size() || (decl[j] != '"' && decl[j] != '\''))
        return {};
    const std::size_t close = decl.find(decl[j], j + 1);
    if (close == std::string_view::npos)
        return {};
    return std::string(decl.substr(j + 1, close - j - 1));
}

bool NamesUtf16(std::string_view label) {
    std::string lower(label);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return lower.starts_with("utf-16") || lower == "unicode" || lower == "ucs-2" ||
           lower == "unicodefffe";
}

std::string AsUtf8(std::string_view bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    return IsValidUtf8(bytes) ? std::string(bytes) : RepairUtf8(bytes);
}

}  // namespace

TDecodedFeed DecodeFeed(std::string_view bytes, std::string_view headerCharset) {
    TDecodedFeed feed;
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        feed.text = AsUtf8(bytes);
        feed.charset = "UTF-8";
        return feed;
    }
    if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
        const bool little = bytes[0] == '\xFF';
        DecodeAs(bytes, little ? "utf-16le" : "utf-16be", feed.text);
        feed.charset = little ? "UTF-16LE" : "UTF-16BE";
        return feed;
    }
    const TUtf16 wide = Utf16ByPattern(bytes);
    if (wide != TUtf16::No) {
        const bool little = wide == TUtf16::LittleEndian;
        DecodeAs(bytes, little ? "utf-16le" : "utf-16be", feed.text);
        feed.charset = little ? "UTF-16LE" : "UTF-16BE";
        return feed;
    }
    // A label that claims sixteen-bit units for bytes that are plainly eight
    // bits wide (the declaration itself was readable as ASCII) is ignored.
    for (const std::string& label : {std::string(headerCharset), XmlDeclarationEncoding(bytes)}) {
        if (label.empty() || NamesUtf16(label))
            continue;
        std::string text;
        if (DecodeAs(bytes, label, text)) {
            feed.text = std::move(text);
            feed.charset = label;
            return feed;
        }
    }
    feed.text = AsUtf8(bytes);
    feed.charset = "UTF-8";
    return feed;
}

bool LooksLikeFeed(std::string_view bytes) {
    const bool wide = StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF") ||
                      Utf16ByPattern(bytes) != TUtf16::No;
    if (!wide) {
        const TProlog prolog = ScanProlog(bytes);
        return prolog.hasRoot && IsFeedRootName(prolog.rootName);
    }
    // A wide page is decoded a slice at first: most show their first element
    // early, and a page that is no feed is decoded again anyway.
    constexpr std::size_t kSlice = 64 * 1024;
    for (std::size_t length = kSlice;; length = bytes.size()) {
        const TDecodedFeed decoded = DecodeFeed(bytes.substr(0, length));
        const TProlog prolog = ScanProlog(decoded.text);
        if (!prolog.ranOut || length >= bytes.size())
            return prolog.hasRoot && IsFeedRootName(prolog.rootName);
    }
}

}  // namespace zelvo::text
