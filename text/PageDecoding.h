#pragma once
// A received page's bytes turned into UTF-8 before anything reads them.
//
// The encoding comes from the first of: a byte-order mark, the response's
// Content-Type charset, a declaration in the page's first 1024 bytes (a
// <meta charset>, a <meta http-equiv=Content-Type>, or an XML declaration's
// encoding), a <meta> further on in the head, the bytes being well-formed
// UTF-8, and else windows-1252. Only the labels browsers know name an
// encoding (ISO-8859-1 and US-ASCII are windows-1252, GBK is gb18030,
// EUC-KR is its Windows superset); any other label is passed over as if
// absent. Malformed input becomes U+FFFD, never stops the decoding and never
// swallows a good character; the text is always well-formed UTF-8.
#include <string>
#include <string_view>

namespace zelvo::text {

// The charset parameter of a Content-Type value ("" when there is none).
std::string CharsetOfContentType(std::string_view contentType);

// The media type of a Content-Type value, lower case, without parameters.
std::string MediaTypeOf(std::string_view contentType);

// The name of the encoding a page declares in its first 1024 bytes, or "".
std::string DeclaredCharset(std::string_view bytes);

struct TDecodedPage {
    std::string text;     // UTF-8
    std::string charset;  // the encoding's name: "UTF-8", "windows-1252", "Shift_JIS"...
};

// headerCharset: the Content-Type's charset ("" to skip that step).
// The bytes are consumed: a page already in UTF-8 is handed on, not copied.
TDecodedPage DecodePage(std::string&& bytes, std::string_view headerCharset = {});

// Decodes bytes of the encoding a label names (a byte-order mark still
// wins). False when the label names no encoding (out is then untouched).
bool DecodeAs(std::string_view bytes, std::string_view charset, std::string& out);

std::string Cp1252ToUtf8(std::string_view bytes);

// Well-formed UTF-8 with every malformed sequence replaced by U+FFFD.
std::string RepairUtf8(std::string_view bytes);

}  // namespace zelvo::text
