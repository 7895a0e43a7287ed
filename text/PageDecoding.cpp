#include "text/PageDecoding.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <utility>

#include "platform/Cp1252.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace {

enum class TCodec { None, Utf8, Cp1252, Utf16LE, Utf16BE, Iconv };

struct TCharset {
    TCodec codec = TCodec::None;
    std::string name;  // the name iconv knows it by, or a display name
};

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return out;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string CleanLabel(std::string_view label) {
    std::size_t b = 0, e = label.size();
    while (b < e && (IsSpace(label[b]) || label[b] == '"' || label[b] == '\''))
        ++b;
    while (e > b && (IsSpace(label[e - 1]) || label[e - 1] == '"' || label[e - 1] == '\''))
        --e;
    return Lower(label.substr(b, e - b));
}

bool IconvKnows(const std::string& name) {
    // Opening a converter loads its tables; the answer for a label is kept.
    static std::map<std::string, bool> known;
    if (const auto it = known.find(name); it != known.end())
        return it->second;
    iconv_t cd = ::iconv_open("UTF-8", name.c_str());
    const bool ok = cd != reinterpret_cast<iconv_t>(-1);
    if (ok)
        ::iconv_close(cd);
    if (known.size() < 256)
        known.emplace(name, ok);
    return ok;
}

// Labels as pages write them, and what reads them. Several legacy labels
// name a subset of what their pages really use, so the superset decodes.
TCharset Resolve(std::string_view rawLabel) {
    const std::string label = CleanLabel(rawLabel);
    if (label.empty())
        return {};
    static constexpr std::array<std::string_view, 3> kUtf8 = {"utf-8", "utf8", "unicode-1-1-utf-8"};
    static constexpr std::array<std::string_view, 18> kCp1252 = {
        "windows-1252", "cp1252", "x-cp1252",    "iso-8859-1",     "iso8859-1",       "iso_8859-1",
        "iso88591",     "latin1", "l1",          "us-ascii",       "ascii",           "iso-ir-100",
        "ibm819",       "cp819",  "csisolatin1", "ansi_x3.4-1968", "iso_8859-1:1987", "cp367"};
    for (auto l : kUtf8)
        if (label == l)
            return {TCodec::Utf8, "UTF-8"};
    for (auto l : kCp1252)
        if (label == l)
            return {TCodec::Cp1252, "windows-1252"};
    if (label == "utf-16le" || label == "utf-16" || label == "unicode" || label == "ucs-2")
        return {TCodec::Utf16LE, "UTF-16LE"};
    if (label == "utf-16be" || label == "unicodefffe")
        return {TCodec::Utf16BE, "UTF-16BE"};
    std::string name = label;
    if (label == "gb2312" || label == "gbk" || label == "x-gbk" || label == "chinese" ||
        label == "csgb2312")
        name = "GB18030";
    else if (label == "euc-kr" || label == "ks_c_5601-1987" || label == "csueckr")
        name = "CP949";
    else if (label == "shift_jis" || label == "shift-jis" || label == "sjis" || label == "x-sjis" ||
             label == "ms_kanji" || label == "windows-31j" || label == "csshiftjis")
        name = "CP932";
    if (IconvKnows(name))
        return {TCodec::Iconv, name};
    if (name != label && IconvKnows(label))
        return {TCodec::Iconv, label};
    return {};
}

void AppendReplacement(std::string& out) {
    out += "\xEF\xBF\xBD";
}

void DecodeUtf16(std::string_view bytes, bool bigEndian, std::string& out) {
    out.clear();
    out.reserve(bytes.size() + bytes.size() / 2);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    auto unit = [&](std::size_t i) -> char32_t {
        return bigEndian ? static_cast<char32_t>(p[i] << 8 | p[i + 1])
                         : static_cast<char32_t>(p[i + 1] << 8 | p[i]);
    };
    std::size_t i = 0;
    while (i + 2 <= n) {
        const char32_t u = unit(i);
        i += 2;
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 2 <= n) {
                const char32_t low = unit(i);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    i += 2;
                    AppendCodePoint(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                    continue;
                }
            }
            AppendReplacement(out);
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            AppendReplacement(out);
        } else {
            AppendCodePoint(out, u);
        }
    }
    if (i < n)
        AppendReplacement(out);
}

void DecodeIconv(std::string_view bytes, const std::string& charset, std::string& out) {
    iconv_t cd = ::iconv_open("UTF-8", charset.c_str());
    out.clear();
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        out = Cp1252ToUtf8(bytes);
        return;
    }
    struct Closer {
        iconv_t cd;
        ~Closer() { ::iconv_close(cd); }
    } closer{cd};
    out.resize(bytes.size() + bytes.size() / 2 + 16);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    std::size_t written = 0;
    while (inLeft > 0) {
        if (out.size() - written < 16)
            out.resize(out.size() * 2);
        char* dst = out.data() + written;
        std::size_t dstLeft = out.size() - written;
        const std::size_t rc = ::iconv(cd, &in, &inLeft, &dst, &dstLeft);
        written = out.size() - dstLeft;
        if (rc != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else if (errno == EILSEQ) {
            // One byte at a time past what cannot be read; the shift state
            // starts over.
            out.resize(written);
            AppendReplacement(out);
            written = out.size();
            out.resize(written + inLeft + 16);
            ++in;
            --inLeft;
            ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
        } else {
            // A sequence cut off by the end of the page.
            out.resize(written);
            AppendReplacement(out);
            written = out.size();
            break;
        }
    }
    // Flush a stateful decoder's pending output.
    char* dst = out.data() + written;
    std::size_t dstLeft = out.size() - written;
    if (dstLeft >= 16)
        ::iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    out.resize(out.size() - dstLeft);
}

bool StartsWith(std::string_view s, std::string_view p) {
    return s.size() >= p.size() && s.substr(0, p.size()) == p;
}

// The attributes of one tag, as name (lower case) and value.
struct TAttributeReader {
    std::string_view tag;
    std::size_t i = 0;
    bool Next(std::string& name, std::string& value) {
        while (i < tag.size() && (IsSpace(tag[i]) || tag[i] == '/'))
            ++i;
        if (i >= tag.size())
            return false;
        const std::size_t nameStart = i;
        while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '=' && tag[i] != '/')
            ++i;
        name = Lower(tag.substr(nameStart, i - nameStart));
        value.clear();
        while (i < tag.size() && IsSpace(tag[i]))
            ++i;
        if (i >= tag.size() || tag[i] != '=')
            return true;
        ++i;
        while (i < tag.size() && IsSpace(tag[i]))
            ++i;
        if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
            const char quote = tag[i++];
            const std::size_t end = tag.find(quote, i);
            const std::size_t stop = end == std::string_view::npos ? tag.size() : end;
            value = std::string(tag.substr(i, stop - i));
            i = stop + 1;
        } else {
            const std::size_t start = i;
            while (i < tag.size() && !IsSpace(tag[i]))
                ++i;
            value = std::string(tag.substr(start, i - start));
        }
        return true;
    }
};

std::string CharsetOfMeta(std::string_view tag) {
    TAttributeReader reader{tag};
    std::string name, value, content;
    bool contentType = false;
    while (reader.Next(name, value)) {
        if (name == "charset" && !CleanLabel(value).empty())
            return CleanLabel(value);
        if (name == "http-equiv" && CleanLabel(value) == "content-type")
            contentType = true;
        if (name == "content")
            content = value;
    }
    return contentType ? CharsetOfContentType(content) : std::string();
}

}  // namespace

std::string CharsetOfContentType(std::string_view contentType) {
    const std::string lower = Lower(contentType);
    std::size_t at = 0;
    while ((at = lower.find("charset", at)) != std::string::npos) {
        std::size_t i = at + 7;
        at = i;
        while (i < lower.size() && IsSpace(lower[i]))
            ++i;
        if (i >= lower.size() || lower[i] != '=')
            continue;
        ++i;
        while (i < lower.size() && IsSpace(lower[i]))
            ++i;
        std::size_t end = i;
        if (end < lower.size() && (lower[end] == '"' || lower[end] == '\'')) {
            const char quote = lower[end];
            end = lower.find(quote, i + 1);
            return CleanLabel(
                lower.substr(i + 1, (end == std::string::npos ? lower.size() : end) - i - 1));
        }
        while (end < lower.size() && lower[end] != ';' && !IsSpace(lower[end]))
            ++end;
        return CleanLabel(lower.substr(i, end - i));
    }
    return {};
}

std::string MediaTypeOf(std::string_view contentType) {
    const std::size_t semi = contentType.find(';');
    return CleanLabel(contentType.substr(0, semi));
}

std::string DeclaredCharset(std::string_view bytes) {
    const std::string head = Lower(bytes.substr(0, 1024));
    if (StartsWith(head, "<?xml")) {
        const std::size_t end = head.find("?>");
        const std::string_view decl = std::string_view(head).substr(
            5, end == std::string::npos ? std::string::npos : end - 5);
        TAttributeReader reader{decl};
        std::string name, value;
        while (reader.Next(name, value))
            if (name == "encoding")
                return CleanLabel(value);
    }
    std::size_t at = 0;
    while ((at = head.find("<meta", at)) != std::string::npos) {
        at += 5;
        if (at < head.size() && !IsSpace(head[at]) && head[at] != '/')
            continue;
        const std::size_t end = head.find('>', at);
        const std::string_view tag = std::string_view(head).substr(
            at, end == std::string::npos ? std::string::npos : end - at);
        std::string charset = CharsetOfMeta(tag);
        if (!charset.empty())
            return charset;
    }
    return {};
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16 + 8);
    const char* p = bytes.data();
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        std::size_t j = i;
        while (j + 8 <= n) {
            std::uint64_t w;
            std::memcpy(&w, p + j, 8);
            if (w & 0x8080808080808080ull)
                break;
            j += 8;
        }
        while (j < n && static_cast<unsigned char>(p[j]) < 0x80)
            ++j;
        out.append(p + i, j - i);
        if (j == n)
            break;
        AppendCodePoint(out, platform::Cp1252ToUnicode(static_cast<unsigned char>(p[j])));
        i = j + 1;
    }
    return out;
}

std::string RepairUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + 8);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    std::size_t plain = 0;  // start of the well-formed run not yet copied
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            lo = c == 0xE0 ? 0xA0 : 0x80;
            hi = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            lo = c == 0xF0 ? 0x90 : 0x80;
            hi = c == 0xF4 ? 0x8F : 0xBF;
        }
        // How much of a sequence is well-formed: the longest good prefix is
        // one malformed character.
        std::size_t good = 1;
        if (len > 0 && i + 1 < n && p[i + 1] >= lo && p[i + 1] <= hi) {
            good = 2;
            while (good < len && i + good < n && (p[i + good] & 0xC0) == 0x80)
                ++good;
        }
        if (len > 0 && good == len) {
            i += len;
            continue;
        }
        out.append(bytes.data() + plain, i - plain);
        AppendReplacement(out);
        i += good;
        plain = i;
    }
    out.append(bytes.data() + plain, n - plain);
    return out;
}

bool DecodeAs(std::string_view bytes, std::string_view charset, std::string& out) {
    const TCharset resolved = Resolve(charset);
    switch (resolved.codec) {
        case TCodec::None:
            return false;
        case TCodec::Utf8:
            if (StartsWith(bytes, "\xEF\xBB\xBF"))
                bytes.remove_prefix(3);
            out = IsValidUtf8(bytes) ? std::string(bytes) : RepairUtf8(bytes);
            return true;
        case TCodec::Cp1252:
            out = Cp1252ToUtf8(bytes);
            return true;
        case TCodec::Utf16LE:
        case TCodec::Utf16BE: {
            bool big = resolved.codec == TCodec::Utf16BE;
            if (StartsWith(bytes, "\xFF\xFE")) {
                big = false;
                bytes.remove_prefix(2);
            } else if (StartsWith(bytes, "\xFE\xFF")) {
                big = true;
                bytes.remove_prefix(2);
            }
            DecodeUtf16(bytes, big, out);
            return true;
        }
        case TCodec::Iconv:
            DecodeIconv(bytes, resolved.name, out);
            return true;
    }
    return false;
}

TDecodedPage DecodePage(std::string&& bytes, std::string_view headerCharset) {
    // knownValid: the bytes were already found to be well-formed UTF-8.
    auto decodeWith = [&](const TCharset& charset, bool knownValid = false) {
        TDecodedPage page;
        page.charset = charset.name;
        if (charset.codec == TCodec::Utf8) {
            if (StartsWith(bytes, "\xEF\xBB\xBF"))
                bytes.erase(0, 3);
            // Well-formed UTF-8 goes on as it is: no second copy of the page.
            page.text = knownValid || IsValidUtf8(bytes) ? std::move(bytes) : RepairUtf8(bytes);
        } else {
            DecodeAs(bytes, charset.name, page.text);
        }
        std::string().swap(bytes);
        return page;
    };
    if (const TCharset header = Resolve(headerCharset); header.codec != TCodec::None)
        return decodeWith(header);
    if (StartsWith(bytes, "\xEF\xBB\xBF"))
        return decodeWith({TCodec::Utf8, "UTF-8"});
    if (StartsWith(bytes, "\xFF\xFE"))
        return decodeWith({TCodec::Utf16LE, "UTF-16LE"});
    if (StartsWith(bytes, "\xFE\xFF"))
        return decodeWith({TCodec::Utf16BE, "UTF-16BE"});
    TCharset declared = Resolve(DeclaredCharset(bytes));
    // A page that could declare itself in ASCII is not UTF-16, whatever it says.
    if (declared.codec == TCodec::Utf16LE || declared.codec == TCodec::Utf16BE)
        declared = {TCodec::Utf8, "UTF-8"};
    if (declared.codec != TCodec::None)
        return decodeWith(declared);
    if (IsValidUtf8(bytes))
        return decodeWith({TCodec::Utf8, "UTF-8"}, true);
    return decodeWith({TCodec::Cp1252, "windows-1252"});
}

}  // namespace zelvo::text
