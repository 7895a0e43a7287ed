#include "text/PageDecoding.h"

#include <optional>
#include <utility>

#include "text/Decoders.h"
#include "text/EncodingLabels.h"
#include "text/EncodingSniffing.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace {

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

bool IsAscii(std::string_view s) {
    return AsciiRunLength(s) == s.size();
}

TDecodedPage Decoded(std::string&& text, TEncoding encoding) {
    return {std::move(text), std::string(EncodingName(encoding))};
}

// Reads the page as encoding, the byte-order mark (markLength bytes) left out.
TDecodedPage DecodeWhole(std::string&& bytes, TEncoding encoding, std::size_t markLength = 0,
                         bool knownValidUtf8 = false) {
    if (encoding == TEncoding::Utf8) {
        // Well-formed UTF-8 goes on as it is: no second copy of the page.
        if (markLength > 0)
            bytes.erase(0, markLength);
        if (knownValidUtf8 || IsValidUtf8(bytes))
            return Decoded(std::move(bytes), encoding);
    }
    std::string text;
    DecodeBytes(encoding,
                std::string_view(bytes).substr(encoding == TEncoding::Utf8 ? 0 : markLength), text);
    std::string().swap(bytes);
    return Decoded(std::move(text), encoding);
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
    const auto encoding = PrescanForEncoding(bytes.substr(0, kPrescanLength));
    return encoding ? std::string(EncodingName(*encoding)) : std::string();
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    DecodeSingleByte(TEncoding::Windows1252, bytes, out);
    return out;
}

std::string RepairUtf8(std::string_view bytes) {
    std::string out;
    DecodeUtf8(bytes, out);
    return out;
}

bool DecodeAs(std::string_view bytes, std::string_view charset, std::string& out) {
    const std::optional<TEncoding> named = EncodingForLabel(charset);
    if (!named)
        return false;
    std::size_t markLength = 0;
    const TEncoding encoding = EncodingOfByteOrderMark(bytes, &markLength).value_or(*named);
    out.clear();
    DecodeBytes(encoding, bytes.substr(markLength), out);
    return true;
}

TDecodedPage DecodePage(std::string&& bytes, std::string_view headerCharset) {
    std::size_t markLength = 0;
    if (const auto marked = EncodingOfByteOrderMark(bytes, &markLength))
        return DecodeWhole(std::move(bytes), *marked, markLength);
    if (const auto header = EncodingForLabel(headerCharset))
        return DecodeWhole(std::move(bytes), *header);
    if (const auto declared = PrescanForEncoding(std::string_view(bytes).substr(0, kPrescanLength)))
        return DecodeWhole(std::move(bytes), *declared);
    // Nothing declared early: the head may still say it further on. The
    // markup is ASCII either way, so the tokenizer reads the page as UTF-8
    // when it is that and as windows-1252 otherwise, and that reading stands
    // unless the head names another encoding. Plain ASCII reads the same in
    // both and is called windows-1252, as browsers call it.
    if (IsValidUtf8(bytes)) {
        const TEncoding guess = IsAscii(bytes) ? TEncoding::Windows1252 : TEncoding::Utf8;
        const auto late = EncodingDeclaredInHead(bytes);
        if (late && *late != guess)
            return DecodeWhole(std::move(bytes), *late, 0, *late == TEncoding::Utf8);
        return Decoded(std::move(bytes), guess);
    }
    std::string text;
    DecodeBytes(TEncoding::Windows1252, bytes, text);
    const auto late = EncodingDeclaredInHead(text);
    if (late && *late != TEncoding::Windows1252)
        return DecodeWhole(std::move(bytes), *late);
    std::string().swap(bytes);
    return Decoded(std::move(text), TEncoding::Windows1252);
}

}  // namespace zelvo::text
