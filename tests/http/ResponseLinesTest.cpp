// The rules that turn received response lines into fields, fed without a
// socket.
#include <gtest/gtest.h>

#include <string>

#include "http/ResponseLines.h"

namespace zelvo::http {
namespace {

TEST(StatusLineTest, CodeAndPhraseStandAtFixedPlaces) {
    TStatusLine s;
    ASSERT_EQ(ParseStatusLine("HTTP/1.1 404 Not Found", s), TStatusParse::Ok);
    EXPECT_EQ(s.Version, "1.1");
    EXPECT_EQ(s.StatusCode, 404);
    EXPECT_EQ(s.ReasonPhrase, "Not Found");

    ASSERT_EQ(ParseStatusLine("HTTP/1.0 200", s), TStatusParse::Ok);
    EXPECT_EQ(s.StatusCode, 200);
    EXPECT_EQ(s.ReasonPhrase, "");

    // The phrase starts one character after the code, whatever stands there.
    ASSERT_EQ(ParseStatusLine("HTTP/1.0 301xMoved", s), TStatusParse::Ok);
    EXPECT_EQ(s.ReasonPhrase, "Moved");
}

TEST(StatusLineTest, OtherVersionsAreNoStatusLine) {
    TStatusLine s;
    EXPECT_EQ(ParseStatusLine("HTTP/2 200 OK", s), TStatusParse::NotStatusLine);
    EXPECT_EQ(ParseStatusLine("http/1.0 200 OK", s), TStatusParse::NotStatusLine);
    EXPECT_EQ(ParseStatusLine("", s), TStatusParse::NotStatusLine);
}

TEST(StatusLineTest, NoNumberWhereTheCodeBelongsIsMalformed) {
    TStatusLine s;
    EXPECT_EQ(ParseStatusLine("HTTP/1.0 abc OK", s), TStatusParse::Malformed);
    EXPECT_EQ(ParseStatusLine("HTTP/1.0", s), TStatusParse::Malformed);
    EXPECT_EQ(ParseStatusLine("HTTP/1.0 ", s), TStatusParse::Malformed);
    EXPECT_EQ(ParseStatusLine("HTTP/1.1 2x0 OK", s), TStatusParse::Malformed);
    EXPECT_EQ(ParseStatusLine(std::string("HTTP/1.1 2\0\0 OK", 16), s), TStatusParse::Malformed);
}

TEST(HeaderLineTest, NameLoweredValueAfterOneSeparator) {
    THeaderField f;
    ASSERT_TRUE(ParseHeaderLine("Content-Type: text/html", f));
    EXPECT_EQ(f.Name, "content-type");
    EXPECT_EQ(f.Value, "text/html");
    // Without a blank after the colon the value loses its first character.
    ASSERT_TRUE(ParseHeaderLine("LOCATION:/next", f));
    EXPECT_EQ(f.Name, "location");
    EXPECT_EQ(f.Value, "next");
    // Nothing is trimmed.
    ASSERT_TRUE(ParseHeaderLine(" X :  v ", f));
    EXPECT_EQ(f.Name, " x ");
    EXPECT_EQ(f.Value, " v ");
    ASSERT_TRUE(ParseHeaderLine("Empty:", f));
    EXPECT_EQ(f.Value, "");
    EXPECT_FALSE(ParseHeaderLine("no colon here", f));
}

TEST(ContentLengthTest, OnlyADecimalCountOfBytes) {
    EXPECT_EQ(ParseContentLength("1000"), 1000);
    EXPECT_EQ(ParseContentLength("0"), 0);
    EXPECT_EQ(ParseContentLength("  42"), 42);
    EXPECT_EQ(ParseContentLength("-1"), std::nullopt);
    EXPECT_EQ(ParseContentLength("12a"), std::nullopt);
    EXPECT_EQ(ParseContentLength(""), std::nullopt);
    EXPECT_EQ(ParseContentLength("99999999999999999999999"), std::nullopt);
}

TEST(LineEndTest, LineFeedEndsALineCarriageReturnDropped) {
    EXPECT_EQ(FindLineEnd("abc"), std::string::npos);
    EXPECT_EQ(FindLineEnd("ab\r\ncd"), 3u);
    EXPECT_EQ(LineBefore("ab\r\ncd", 3), "ab");
    EXPECT_EQ(LineBefore("ab\ncd", 2), "ab");
    EXPECT_EQ(LineBefore("a\r\r\n", 3), "a\r");
}

}  // namespace
}  // namespace zelvo::http
