// The URL, date and Base64 helpers of the HTTP client.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "http/HttpProt.h"

namespace zelvo::http {
namespace {

using Parts = std::array<std::string, 6>;  // scheme, user, password, host, port, path

Parts Split(const std::string& url) {
    Parts p;
    SplitURL(url, p[0], p[1], p[2], p[3], p[4], p[5]);
    return p;
}

TEST(SplitURLTest, TableOfForms) {
    EXPECT_EQ(Split("scheme://host/dir/page?q"),
              (Parts{"scheme", "", "", "host", "", "/dir/page?q"}));
    EXPECT_EQ(Split("host:8080"), (Parts{"", "", "", "host", "8080", ""}));
    EXPECT_EQ(Split("scheme://u:p@host:81/"), (Parts{"scheme", "u", "p", "host", "81", "/"}));
    EXPECT_EQ(Split("u@host"), (Parts{"", "u", "", "host", "", ""}));
    EXPECT_EQ(Split("http://host"), (Parts{"http", "", "", "host", "", ""}));
    EXPECT_EQ(Split("://host/x"), (Parts{"", "", "", "host", "", "/x"}));
    EXPECT_EQ(Split(""), (Parts{"", "", "", "", "", ""}));
    EXPECT_EQ(Split("http:///path"), (Parts{"http", "", "", "", "", "/path"}));
}

TEST(SplitURLTest, UserPartsAndColons) {
    // Only the last ":" and the last "@" are compared.
    EXPECT_EQ(Split("http://u:p:q@host:8/x"), (Parts{"http", "u", "p:q", "host", "8", "/x"}));
    EXPECT_EQ(Split("http://u:p@host/x"), (Parts{"http", "u", "p", "host", "", "/x"}));
    EXPECT_EQ(Split("http://host:/x"), (Parts{"http", "", "", "host", "", "/x"}));
    // A scheme that is not followed by "://" is no scheme.
    EXPECT_EQ(Split("http:host"), (Parts{"", "", "", "http", "host", ""}));
}

TEST(SplitURLTest, MailtoInAnyLetterCase) {
    EXPECT_EQ(Split("mailto:someone@example"), (Parts{"mailto", "someone", "", "example", "", ""}));
    EXPECT_EQ(Split("MAILTO:x@y"), (Parts{"mailto", "x", "", "y", "", ""}));
    EXPECT_EQ(Split("MaIlTo:x@y"), (Parts{"mailto", "x", "", "y", "", ""}));
}

TEST(LastPosTest, Positions) {
    EXPECT_EQ(LastPos("/", "/a/b"), 3);
    EXPECT_EQ(LastPos("/", "ab"), 0);
    EXPECT_EQ(LastPos("ab", "abcab"), 4);
    EXPECT_EQ(LastPos("abc", "ab"), 0);
    EXPECT_EQ(LastPos("", "ab"), 0);
}

TEST(ReplaceExtTest, ReplacesOrAppends) {
    std::string a = "file.exe";
    ReplaceExt(a, "htm");
    EXPECT_EQ(a, "file.htm");
    std::string b = "file";
    ReplaceExt(b, "htm");
    EXPECT_EQ(b, "file.htm");
    std::string c = "a.b.c";
    ReplaceExt(c, "d");
    EXPECT_EQ(c, "a.b.d");
    std::string d = "dot.";
    ReplaceExt(d, "x");
    EXPECT_EQ(d, "dot.x");
}

TEST(HttpDateTextTest, Formats) {
    EXPECT_EQ(HttpDateText(2.0), "Mon, 01 Jan 1900 00:00:00");
    EXPECT_EQ(HttpDateText(35000.75), "Sat, 28 Oct 1995 18:00:00");
    // Past noon keeps the day: the weekday truncates, never rounds.
    EXPECT_EQ(HttpDateText(36525.5), "Fri, 31 Dec 1999 12:00:00");
    EXPECT_EQ(HttpDateText(36525.99), "Fri, 31 Dec 1999 23:45:36");
    EXPECT_EQ(HttpDateText(36585.0 + (10 * 3600 + 20 * 60 + 30) / 86400.0),
              "Tue, 29 Feb 2000 10:20:30");
    EXPECT_EQ(HttpDateText(0.0), "Sat, 30 Dec 1899 00:00:00");
}

TEST(HttpDateTextTest, OutOfRangeAndNaNAreClampedToTheFourDigitYears) {
    EXPECT_EQ(HttpDateText(-693593.0), "Mon, 01 Jan 0001 00:00:00");
    EXPECT_EQ(HttpDateText(-1e300), "Mon, 01 Jan 0001 00:00:00");
    EXPECT_EQ(HttpDateText(std::nan("")), "Mon, 01 Jan 0001 00:00:00");
    EXPECT_EQ(HttpDateText(-std::numeric_limits<double>::infinity()), "Mon, 01 Jan 0001 00:00:00");
    EXPECT_EQ(HttpDateText(1e300), "Fri, 31 Dec 9999 23:59:59");
    EXPECT_EQ(HttpDateText(std::numeric_limits<double>::infinity()), "Fri, 31 Dec 9999 23:59:59");
}

TEST(EncodeBase64Test, PaddingAndAlphabet) {
    EXPECT_EQ(EncodeBase64(""), "");
    EXPECT_EQ(EncodeBase64("f"), "Zg==");
    EXPECT_EQ(EncodeBase64("fo"), "Zm8=");
    EXPECT_EQ(EncodeBase64("foo"), "Zm9v");
    EXPECT_EQ(EncodeBase64("foobar"), "Zm9vYmFy");
    EXPECT_EQ(EncodeBase64("user:pass"), "dXNlcjpwYXNz");
    EXPECT_EQ(EncodeBase64(std::string("\xFB\xFF\xBF", 3)), "+/+/");
    EXPECT_EQ(EncodeBase64(std::string(1, '\0')), "AA==");
}

}  // namespace
}  // namespace zelvo::http
