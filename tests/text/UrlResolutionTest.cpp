#include "text/UrlResolution.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zelvo::text {
namespace {

using Cases = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kRfcBase = "http://a/b/c/d;p?q";

void ExpectResolved(const std::string& base, const Cases& cases) {
    for (const auto& [reference, expected] : cases)
        EXPECT_EQ(ResolveUrl(base, reference), expected) << "'" << reference << "' on " << base;
}

// The reference table of RFC 3986, section 5.4.1.
TEST(ResolveUrlTest, NormalExamplesOfTheRfc) {
    ExpectResolved(kRfcBase, {{"g:h", "g:h"},
                              {"g", "http://a/b/c/g"},
                              {"./g", "http://a/b/c/g"},
                              {"g/", "http://a/b/c/g/"},
                              {"/g", "http://a/g"},
                              {"//g", "http://g"},
                              {"?y", "http://a/b/c/d;p?y"},
                              {"g?y", "http://a/b/c/g?y"},
                              {"#s", "http://a/b/c/d;p?q#s"},
                              {"g#s", "http://a/b/c/g#s"},
                              {"g?y#s", "http://a/b/c/g?y#s"},
                              {";x", "http://a/b/c/;x"},
                              {"g;x", "http://a/b/c/g;x"},
                              {"g;x?y#s", "http://a/b/c/g;x?y#s"},
                              {"", "http://a/b/c/d;p?q"},
                              {".", "http://a/b/c/"},
                              {"./", "http://a/b/c/"},
                              {"..", "http://a/b/"},
                              {"../", "http://a/b/"},
                              {"../g", "http://a/b/g"},
                              {"../..", "http://a/"},
                              {"../../", "http://a/"},
                              {"../../g", "http://a/g"}});
}

// RFC 3986, section 5.4.2; "http:g" takes the reading that browsers (and the
// RFC's backward-compatible parsers) give it.
TEST(ResolveUrlTest, AbnormalExamplesOfTheRfc) {
    ExpectResolved(kRfcBase, {{"../../../g", "http://a/g"},
                              {"../../../../g", "http://a/g"},
                              {"/./g", "http://a/g"},
                              {"/../g", "http://a/g"},
                              {"g.", "http://a/b/c/g."},
                              {".g", "http://a/b/c/.g"},
                              {"g..", "http://a/b/c/g.."},
                              {"..g", "http://a/b/c/..g"},
                              {"./../g", "http://a/b/g"},
                              {"./g/.", "http://a/b/c/g/"},
                              {"g/./h", "http://a/b/c/g/h"},
                              {"g/../h", "http://a/b/c/h"},
                              {"g;x=1/./y", "http://a/b/c/g;x=1/y"},
                              {"g;x=1/../y", "http://a/b/c/y"},
                              {"g?y/./x", "http://a/b/c/g?y/./x"},
                              {"g?y/../x", "http://a/b/c/g?y/../x"},
                              {"g#s/./x", "http://a/b/c/g#s/./x"},
                              {"g#s/../x", "http://a/b/c/g#s/../x"},
                              {"http:g", "http://a/b/c/g"}});
}

TEST(ResolveUrlTest, ForgivesWhatHandWrittenPagesCarry) {
    ExpectResolved("http://a/b/c/d", {{"  g \n", "http://a/b/c/g"},
                                      {"\x01\x1Fg\x7F", "http://a/b/c/g\x7F"},
                                      {"ma\nin.\r\nh\ttm", "http://a/b/c/main.htm"},
                                      {"..\\x\\y", "http://a/b/x/y"},
                                      {"\\\\other\\p", "http://other/p"},
                                      {"g?a\\b#c\\d", "http://a/b/c/g?a\\b#c\\d"},
                                      {"HTTP:g", "http://a/b/c/g"},
                                      {"HTTPS://Host/x/../y", "https://Host/y"},
                                      {" \t ", "http://a/b/c/d"}});
    ExpectResolved("https://a/b", {{"//cdn/x", "https://cdn/x"}, {"http:x", "http:x"}});
    // Only web URLs read a backslash as a slash.
    ExpectResolved("ftp://a/b/c", {{"x\\y", "ftp://a/b/x\\y"}});
    ExpectResolved("mailto:someone@a", {{"http://a\\b", "http://a/b"}});
}

TEST(ResolveUrlTest, TheBaseItselfLosesOnlyItsFragment) {
    ExpectResolved("http://a/b?q#frag", {{"", "http://a/b?q"}, {"#other", "http://a/b?q#other"}});
    ExpectResolved("http://a", {{"g", "http://a/g"}, {"?x", "http://a?x"}});
}

TEST(ResolveUrlTest, ARelativeLinkNeedsABaseWithAScheme) {
    ExpectResolved("", {{"g", ""}, {"", ""}, {"http://x/a/./b/../c", "http://x/a/c"}});
    ExpectResolved("not a url/page", {{"g", ""}, {"//host/p", ""}});
    ExpectResolved("1http://a/", {{"g", ""}});
}

TEST(IsOpenableLinkTest, AcceptsWebUrlsWithAHost) {
    for (const char* url : {"http://a/", "http://a", "HTTPS://a.example/x?y#z",
                            "http://user@a:8080/x", "http://[::1]:80/", "https://a:/"})
        EXPECT_TRUE(IsOpenableLink(url)) << url;
}

TEST(IsOpenableLinkTest, RefusesEverythingElse) {
    for (const char* url : {"",
                            "javascript:alert(1)",
                            "file:///etc/passwd",
                            "ftp://a/",
                            "http:///x",
                            "http://",
                            "http://user@/x",
                            "//a/b",
                            "/a",
                            "a",
                            "http:a",
                            "mailto:x@y",
                            " http://a/",
                            "http://a\n.example/",
                            "http://a/\x1B",
                            "http://a:8o/",
                            "http://[::1/",
                            "http://[::1]x/",
                            "data:text/html,<p>",
                            "https//a/"})
        EXPECT_FALSE(IsOpenableLink(url)) << url;
}

}  // namespace
}  // namespace zelvo::text
