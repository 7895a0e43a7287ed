#include "text/Decoders.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/EncodingLabels.h"
#include "text/EncodingSniffing.h"
#include "text/PageDecoding.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace {

using namespace std::string_literals;

std::string Decode(TEncoding encoding, std::string_view bytes) {
    std::string out;
    DecodeBytes(encoding, bytes, out);
    EXPECT_TRUE(IsValidUtf8(out)) << EncodingName(encoding);
    return out;
}

TEST(EncodingLabelTest, LabelsNameEncodingsAndNothingElse) {
    EXPECT_EQ(EncodingForLabel(" \tLatin1\n"), TEncoding::Windows1252);
    EXPECT_EQ(EncodingForLabel("US-ASCII"), TEncoding::Windows1252);
    EXPECT_EQ(EncodingForLabel("GB2312"), TEncoding::Gbk);
    EXPECT_EQ(EncodingForLabel("ks_c_5601-1987"), TEncoding::EucKr);
    EXPECT_EQ(EncodingForLabel("iso-2022-kr"), TEncoding::Replacement);
    EXPECT_EQ(EncodingForLabel("unicodefffe"), TEncoding::Utf16be);
    EXPECT_EQ(EncodingName(TEncoding::ShiftJis), "Shift_JIS");
    // What a system converter would accept, but no browser does.
    for (const char* label : {"utf-8//ignore", "ucs-4", "utf-32", "latin-1", "cp932", "euc-tw", "",
                              "utf-8 x", "'utf-8'", "x-user-defined-and-more"})
        EXPECT_FALSE(EncodingForLabel(label)) << label;
    std::string out = "kept";
    EXPECT_FALSE(DecodeAs("\xF4\x90\x80\x80", "utf-8//ignore", out));
    EXPECT_EQ(out, "kept");
}

// A lead byte followed by something it cannot pair with is one error; an
// ASCII byte after it is still that character.
TEST(MultiByteDecoderTest, AnAsciiByteAfterABadLeadIsKept) {
    EXPECT_EQ(Decode(TEncoding::EucKr, "\xC9\xA1\xB0\xA1\xB3\xAA\xB4\xD9"), "\uFFFD가나다");
    EXPECT_EQ(Decode(TEncoding::EucKr, "\x81<p>"), "\uFFFD<p>");
    EXPECT_EQ(Decode(TEncoding::Big5, "\x81<a"), "\uFFFD<a");
    EXPECT_EQ(Decode(TEncoding::Big5, "\xA1\x30"), "\uFFFD0");
    EXPECT_EQ(Decode(TEncoding::ShiftJis, "\x81<"), "\uFFFD<");
    EXPECT_EQ(Decode(TEncoding::ShiftJis, "\xEF\x20"), "\uFFFD ");
    EXPECT_EQ(Decode(TEncoding::EucJp, "\xA4<"), "\uFFFD<");
    EXPECT_EQ(Decode(TEncoding::EucJp, "\x8E<"), "\uFFFD<");
    EXPECT_EQ(Decode(TEncoding::EucJp, "\x8F\xA1<"), "\uFFFD<");
    EXPECT_EQ(Decode(TEncoding::Gb18030, "\x81<"), "\uFFFD<");
    // gb18030's four-byte form gives back every byte it cannot use.
    EXPECT_EQ(Decode(TEncoding::Gb18030, "\x81\x30<"), "\uFFFD0<");
    EXPECT_EQ(Decode(TEncoding::Gb18030, "\x81\x30\x81<"), "\uFFFD0\uFFFD<");
    // A non-ASCII byte after a bad lead goes with it.
    EXPECT_EQ(Decode(TEncoding::EucKr, "\x81\x80z"), "\uFFFDz");
    // Cut off by the end: one error.
    for (TEncoding e : {TEncoding::EucKr, TEncoding::Big5, TEncoding::ShiftJis, TEncoding::EucJp,
                        TEncoding::Gb18030})
        EXPECT_EQ(Decode(e, "a\x81"), "a\uFFFD") << EncodingName(e);
    EXPECT_EQ(Decode(TEncoding::EucJp, "a\xA4"), "a\uFFFD");
    EXPECT_EQ(Decode(TEncoding::Gb18030, "a\x81\x30\x81"), "a\uFFFD");
}

TEST(MultiByteDecoderTest, EachEncodingReadsItsOwnCharacters) {
    // Big5 as browsers read it, with the Hong Kong extension.
    EXPECT_EQ(Decode(TEncoding::Big5, "\xC7\x55"), "\u306E");
    EXPECT_EQ(Decode(TEncoding::Big5, "\xA4\xA4\xA4\xE5"), "中文");
    EXPECT_EQ(Decode(TEncoding::Big5, "\x88\x62\x88\x64"), "\u00CA\u0304\u00CA\u030C");
    EXPECT_EQ(Decode(TEncoding::Big5, "\x87\x40\x87\x45"), "\u43F0\U00027267");
    EXPECT_EQ(Decode(TEncoding::Big5, "\xFE\xFE"), "\U000079D4");
    EXPECT_EQ(Decode(TEncoding::Gbk, "\xC4\xE3\xBA\xC3\x80"), "你好€");
    EXPECT_EQ(Decode(TEncoding::Gb18030, "\x81\x30\x81\x30\x90\x30\x81\x30"), "\u0080\U00010000");
    EXPECT_EQ(Decode(TEncoding::ShiftJis, "\x93\xFA\x96\x7B\xB1\x5C"), "日本ｱ\\");
    EXPECT_EQ(Decode(TEncoding::ShiftJis, "\xF0\x40"), "\uE000") << "user-defined area";
    EXPECT_EQ(Decode(TEncoding::EucJp, "\xC6\xFC\x8E\xB1\x8F\xB0\xA1"), "日ｱ丂");
    EXPECT_EQ(Decode(TEncoding::EucKr, "\x81\x41"), "\uAC02") << "the Windows extension";
}

TEST(MultiByteDecoderTest, Iso2022JpSwitchesOnlyOnKnownEscapes) {
    EXPECT_EQ(Decode(TEncoding::Iso2022Jp, "a\x1B$BF|K\\\x1B(Bz"), "a日本z");
    EXPECT_EQ(Decode(TEncoding::Iso2022Jp, "\x1B(J\\~\x1B(I1\x1B(B\\"), "¥‾ｱ\\");
    // An unknown escape is an error and its bytes are read as text.
    EXPECT_EQ(Decode(TEncoding::Iso2022Jp, "\x1B(Zx"), "\uFFFD(Zx");
    EXPECT_EQ(Decode(TEncoding::Iso2022Jp, "a\x1B"), "a\uFFFD");
    EXPECT_EQ(Decode(TEncoding::Iso2022Jp, "a\x1B$"), "a\uFFFD$");
    // Two escapes with nothing between hide nothing: the second is an error.
    EXPECT_EQ(Decode(TEncoding::Iso2022Jp, "\x1B$B\x1B(Ba"), "\uFFFDa");
    // Shift bytes and a pair cut short.
    EXPECT_EQ(Decode(TEncoding::Iso2022Jp, "\x0E\x0F"), "\uFFFD\uFFFD");
    EXPECT_EQ(Decode(TEncoding::Iso2022Jp, "\x1B$BF"), "\uFFFD");
    EXPECT_EQ(Decode(TEncoding::Iso2022Jp, "\x1B$BF\x1B(Bz"), "\uFFFDz");
}

TEST(UnicodeDecoderTest, MalformedSequencesAreOneErrorEach) {
    EXPECT_EQ(Decode(TEncoding::Utf8, "a\xE2\x80z"), "a\uFFFDz");
    EXPECT_EQ(Decode(TEncoding::Utf8, "\xE0\x80\x80"), "\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Decode(TEncoding::Utf8, "\xF4\x90\x80\x80"), "\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Decode(TEncoding::Utf8, "\xF0\x9F\x98<"), "\uFFFD<");
    EXPECT_EQ(Decode(TEncoding::Utf8, "\xF7\xBF\xBF\xBF"), "\uFFFD\uFFFD\uFFFD\uFFFD");
    // A lead surrogate without its pair: the unit after it is read anew.
    EXPECT_EQ(Decode(TEncoding::Utf16le, "\x00\xD8\x41\x00"s), "\uFFFDA");
    EXPECT_EQ(Decode(TEncoding::Utf16be, "\xD8\x3D\xDE\x00\x00"s), "\U0001F600\uFFFD");
    EXPECT_EQ(Decode(TEncoding::Utf16be, "\xDC\x00\xD8\x00"s), "\uFFFD\uFFFD");
    EXPECT_EQ(Decode(TEncoding::Utf16le, "\x00\xD8\x41"s), "\uFFFD") << "one error at the end";
}

TEST(SingleByteDecoderTest, TablesAndTheOddEncodings) {
    EXPECT_EQ(Decode(TEncoding::Koi8R, "\xF2\xD5\xD3"), "Рус");
    EXPECT_EQ(Decode(TEncoding::Windows874, "\xDB"), "\uFFFD") << "a hole in the table";
    EXPECT_EQ(Decode(TEncoding::Iso8859_8I, "\xE0"), "\u05D0");
    EXPECT_EQ(Decode(TEncoding::XUserDefined, "a\x80\xFF"), "a\uF780\uF7FF");
    EXPECT_EQ(Decode(TEncoding::Replacement, "<script>x"), "\uFFFD");
    EXPECT_EQ(Decode(TEncoding::Replacement, ""), "");
}

TEST(DecoderTest, RandomBytesGiveWellFormedText) {
    std::mt19937 rng(18);
    std::string bytes;
    for (int round = 0; round < 200; ++round) {
        bytes.assign(rng() % 64, '\0');
        for (char& c : bytes)
            c = static_cast<char>(rng() % 3 == 0 ? 0x1B + rng() % 16 : rng());
        for (std::size_t e = 0; e < kEncodingCount; ++e) {
            std::string out;
            DecodeBytes(static_cast<TEncoding>(e), bytes, out);
            ASSERT_TRUE(IsValidUtf8(out)) << EncodingName(static_cast<TEncoding>(e));
        }
    }
}

// The byte scan for a declaration.
std::string Sniff(std::string_view bytes) {
    const auto found = PrescanForEncoding(bytes);
    return found ? std::string(EncodingName(*found)) : "none";
}

TEST(PrescanTest, OnlyRealMetaTagsCount) {
    EXPECT_EQ(Sniff("<!-- <meta charset=koi8-r> --><p>"), "none");
    EXPECT_EQ(Sniff("<!--><meta charset=koi8-r>"), "KOI8-R") << "<!--> is a whole comment";
    EXPECT_EQ(Sniff("<div title='<meta charset=koi8-r>'>"), "none");
    EXPECT_EQ(Sniff("<div title='<meta charset=koi8-r>'><meta charset=big5>"), "Big5");
    EXPECT_EQ(Sniff("<script>var s = '<meta charset=koi8-r>';</script>"), "KOI8-R")
        << "the byte scan does not know script, as in browsers";
    EXPECT_EQ(Sniff("<metacharset=koi8-r>"), "none");
    EXPECT_EQ(Sniff("<META\nCHARSET=KOI8-R>"), "KOI8-R");
    EXPECT_EQ(Sniff("<meta/charset=koi8-r>"), "KOI8-R");
}

TEST(PrescanTest, DeclarationsAreReadAsBrowsersReadThem) {
    // http-equiv needs its pragma; a charset attribute does not.
    EXPECT_EQ(Sniff("<meta content='text/html; charset=koi8-r'>"), "none");
    EXPECT_EQ(Sniff("<meta content='text/html; charset=koi8-r' http-equiv=Content-Type>"),
              "KOI8-R");
    EXPECT_EQ(Sniff("<meta http-equiv=refresh content='charset=koi8-r'>"), "none");
    // The first of a repeated attribute counts.
    EXPECT_EQ(Sniff("<meta charset=koi8-r charset=big5>"), "KOI8-R");
    // Malformed declarations browsers reject.
    EXPECT_EQ(Sniff("<meta http-equiv=content-type content='charset=\"koi8-r'>"), "none");
    EXPECT_EQ(Sniff("<meta charset=koi8-r"), "none") << "cut off before '>'";
    EXPECT_EQ(Sniff("<meta charset='koi8-r>"), "none");
    EXPECT_EQ(Sniff("<meta charset=''>"), "none");
    // An unknown label is passed over and the scan goes on.
    EXPECT_EQ(Sniff("<meta charset=klingon><meta charset=iso-8859-2>"), "ISO-8859-2");
    EXPECT_EQ(Sniff("<meta http-equiv=content-type content='charset=x; charset=koi8-r'>"), "none")
        << "only the first charset= in content counts";
    // Declared UTF-16 was read as ASCII, so it is UTF-8; x-user-defined is 1252.
    EXPECT_EQ(Sniff("<meta charset=utf-16be>"), "UTF-8");
    EXPECT_EQ(Sniff("<meta charset=x-user-defined>"), "windows-1252");
    EXPECT_EQ(Sniff("<?xml version='1.0' encoding='koi8-r'?><rss>"), "KOI8-R");
    EXPECT_EQ(Sniff("<?xml version='1.0' encoding='koi8-r'?><meta charset=big5>"), "Big5");
    EXPECT_EQ(Sniff("<\0?\0x\0m\0l\0"s), "UTF-16LE");
}

TEST(PrescanTest, MetaContentValues) {
    EXPECT_EQ(EncodingOfMetaContent("text/html; CHARSET = \"koi8-r\" ; x"), TEncoding::Koi8R);
    EXPECT_EQ(EncodingOfMetaContent("text/html; charset=koi8-r;q=1"), TEncoding::Koi8R);
    EXPECT_EQ(EncodingOfMetaContent("charsetcharset=big5"), TEncoding::Big5);
    EXPECT_EQ(EncodingOfMetaContent("text/html; charset"), std::nullopt);
    EXPECT_EQ(EncodingOfMetaContent("text/html; charset=\"big5"), std::nullopt);
}

}  // namespace
}  // namespace zelvo::text
