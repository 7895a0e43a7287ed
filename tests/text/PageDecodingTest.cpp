#include "text/PageDecoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/Utf8.h"

namespace zelvo::text {
namespace {

using namespace std::string_literals;

std::string Decode(std::string bytes, std::string_view header = {}) {
    return DecodePage(std::move(bytes), header).text;
}

TEST(CharsetLabelTest, ContentTypeAndDeclarationsNameTheCharset) {
    EXPECT_EQ(CharsetOfContentType("text/html; charset=ISO-8859-5"), "iso-8859-5");
    EXPECT_EQ(CharsetOfContentType("text/html;charset=\"utf-8\";q=1"), "utf-8");
    EXPECT_EQ(CharsetOfContentType("text/html"), "");
    EXPECT_EQ(MediaTypeOf("Application/RSS+XML; charset=utf-8"), "application/rss+xml");
    EXPECT_EQ(DeclaredCharset("<html><head><META CHARSET='koi8-r'>"), "KOI8-R");
    EXPECT_EQ(DeclaredCharset("<meta http-equiv=\"Content-Type\" "
                              "content=\"text/html; charset=Shift_JIS\">"),
              "Shift_JIS");
    EXPECT_EQ(DeclaredCharset("<meta name=x content=\"charset=koi8-r\">"), "")
        << "content counts only with http-equiv";
    EXPECT_EQ(DeclaredCharset("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><rss/>"),
              "windows-1252");
    EXPECT_EQ(DeclaredCharset(std::string(1100, ' ') + "<meta charset=koi8-r>"), "")
        << "only the first 1024 bytes are looked at";
}

TEST(PageDecodingTest, TheFirstSourceThatNamesACharsetWins) {
    const std::string cyrillic = "\xC0\xD0\xD4";  // ISO-8859-5 for the word Rad
    EXPECT_EQ(Decode(cyrillic, "iso-8859-5"), "\u0420\u0430\u0434");
    // A byte-order mark over the header, header over declaration,
    // declaration over the bytes.
    EXPECT_EQ(DecodePage("\xEF\xBB\xBF\xC3\xA9", "iso-8859-5").charset, "UTF-8");
    EXPECT_EQ(Decode("\xFF\xFE"
                     "A\0"s,
                     "koi8-r"),
              "A");
    EXPECT_EQ(Decode("<meta charset=utf-8>\xE9", "windows-1252"), "<meta charset=utf-8>\u00E9");
    EXPECT_EQ(Decode("<meta charset=iso-8859-5>" + cyrillic),
              "<meta charset=iso-8859-5>\u0420\u0430\u0434");
    // A byte-order mark over a declaration; the mark itself is not text.
    EXPECT_EQ(Decode("\xEF\xBB\xBF<meta charset=koi8-r>\xC3\xA9"), "<meta charset=koi8-r>\u00E9");
    // Undeclared: well-formed UTF-8 is UTF-8, anything else Windows-1252.
    EXPECT_EQ(Decode("caf\xC3\xA9"), "caf\u00E9");
    EXPECT_EQ(Decode("caf\xE9 \x93q\x94"), "caf\u00E9 \u201Cq\u201D");
    // A label nothing decodes is passed over.
    EXPECT_EQ(Decode("caf\xC3\xA9", "x-no-such-charset"), "caf\u00E9");
    // Latin-1 and ASCII labels read as Windows-1252, as browsers do.
    EXPECT_EQ(Decode("\x80\x93", "iso-8859-1"), "\u20AC\u201C");
    EXPECT_EQ(Decode("\x80", "us-ascii"), "\u20AC");
}

// Past the first 1024 bytes only the tokenizer finds a declaration, and
// only in the head.
TEST(PageDecodingTest, AMetaLaterInTheHeadStillCounts) {
    const std::string pad = "<head><!--" + std::string(1100, '-') + "-->";
    const std::string rus = "\xF2\xD5\xD3";  // KOI8-R
    TDecodedPage page = DecodePage(pad + "<meta charset=koi8-r>" + rus);
    EXPECT_EQ(page.charset, "KOI8-R");
    EXPECT_EQ(page.text.substr(page.text.size() - 6), "Рус");
    // Well-formed UTF-8 is read as the head says, too.
    EXPECT_EQ(DecodePage(pad + "<meta charset=windows-1251>\xD0\xB0").charset, "windows-1251");
    EXPECT_EQ(DecodePage(pad + "<title>x</title><script>a='<meta charset=x>'</script>"
                               "<meta charset=nonsense><meta http-equiv=content-type "
                               "content='text/html;charset=koi8-r'>")
                  .charset,
              "KOI8-R");
    // The body, or anything that starts it, ends the search.
    for (const char* before : {"</head>", "<body>", "<div>", "<p>", "<img src=x>"})
        EXPECT_EQ(DecodePage(pad + before + "<meta charset=koi8-r>" + rus).charset, "windows-1252")
            << before;
    // In a script, it is text.
    EXPECT_EQ(DecodePage(pad + "<script>'<meta charset=koi8-r>'</script>" + rus).charset,
              "windows-1252");
    // Long heads are searched to their end, whichever byte a declaration
    // starts at.
    for (std::size_t at : {16 * 1024 - 10, 16 * 1024, 128 * 1024 - 3, 300 * 1024}) {
        std::string head = "<style>" + std::string(at, ' ') + "</style>";
        head.resize(std::max(head.size(), at));
        EXPECT_EQ(DecodePage(head + "<meta charset=koi8-r><body>" + rus).charset, "KOI8-R") << at;
    }
}

TEST(PageDecodingTest, Cp1252UnassignedBytesBecomeTheirC1Controls) {
    EXPECT_EQ(Cp1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(CharCount(utf8), 256u);
}

TEST(PageDecodingTest, LegacyEncodingsOfEastAsiaAndCyrillic) {
    EXPECT_EQ(Decode("\x93\xfa\x96\x7b", "shift_jis"), "\u65E5\u672C");
    EXPECT_EQ(Decode("\xF2\xD5\xD3", "koi8-r"), "\u0420\u0443\u0441");
    EXPECT_EQ(Decode("\xC4\xE3\xBA\xC3", "gb2312"), "\u4F60\u597D");
    // Malformed sequences become U+FFFD and the rest still decodes.
    EXPECT_EQ(Decode("a\x81\xFFz", "shift_jis"), "a\uFFFDz");
    EXPECT_EQ(Decode("a\x93", "shift_jis"), "a\uFFFD") << "cut off by the end of the page";
}

TEST(PageDecodingTest, Utf16WithAMarkKeepsItsNulsAsText) {
    EXPECT_EQ(Decode("\xFF\xFE"
                     "A\0\xE9\0=\xD8\x00\xDE"s),
              "A\u00E9\U0001F600");
    EXPECT_EQ(Decode("\xFE\xFF\0A\xD8\0"s), "A\uFFFD") << "a lone surrogate";
    // A page in ASCII that calls itself UTF-16 cannot be.
    EXPECT_EQ(Decode("<meta charset=utf-16>\xC3\xA9"), "<meta charset=utf-16>\u00E9");
}

TEST(PageDecodingTest, MalformedUtf8IsRepairedNeverTrusted) {
    EXPECT_EQ(Decode("a\xE2\x80z", "utf-8"), "a\uFFFDz");
    EXPECT_EQ(Decode("\xC0\x80", "utf-8"), "\uFFFD\uFFFD") << "overlong";
    EXPECT_EQ(Decode("\xED\xA0\x80", "utf-8"), "\uFFFD\uFFFD\uFFFD") << "surrogate";
    EXPECT_EQ(Decode("\xF4\x90\x80\x80", "utf-8").size(), 12u) << "past U+10FFFF";
    EXPECT_EQ(Decode("end\xF0\x9F\x98", "utf-8"), "end\uFFFD");
    // Whatever the bytes, the result is well-formed.
    std::mt19937 rng(5);
    for (int i = 0; i < 300; ++i) {
        std::string bytes(rng() % 40, '\0');
        for (char& c : bytes)
            c = static_cast<char>(rng());
        for (const char* cs : {"utf-8", "shift_jis", "utf-16le", "gb18030", "iso-2022-jp", ""})
            ASSERT_TRUE(IsValidUtf8(Decode(bytes, cs))) << cs;
    }
}

TEST(Utf8Test, CharacterPositionsCrossWordBoundaries) {
    const std::string s = "ab\u00E9cd\u20ACefgh\U0001F600ijklmnop";
    EXPECT_EQ(CharCount(s), 19u);
    EXPECT_EQ(ByteOffsetOfChar(s, 0), 0u);
    EXPECT_EQ(ByteOffsetOfChar(s, 3), 4u);
    EXPECT_EQ(ByteOffsetOfChar(s, 6), 9u);
    EXPECT_EQ(ByteOffsetOfChar(s, 11), 17u);
    EXPECT_EQ(ByteOffsetOfChar(s, 19), s.size());
    EXPECT_EQ(ByteOffsetOfChar(s, 500), s.size());
    EXPECT_EQ(FirstChars(s, 2, 3), "\u00E9cd");
    EXPECT_EQ(FirstChars(s, s.size(), 3), "");
    std::string long1;
    for (int i = 0; i < 100; ++i)
        long1 += i % 3 ? "x" : "\u00E9";
    for (std::size_t k = 0; k <= 100; ++k) {
        std::size_t expect = 0;
        for (std::size_t j = 0; j < k; ++j)
            expect += j % 3 ? 1 : 2;
        ASSERT_EQ(ByteOffsetOfChar(long1, k), expect) << k;
    }
}

}  // namespace
}  // namespace zelvo::text
