#include "text/SimpleHTMLParser.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zelvo::text {
namespace {

using Kind = TSimpleHTMLParser::TTokenKind;

std::vector<std::pair<Kind, std::string>> Tokens(const std::string& text) {
    std::vector<std::pair<Kind, std::string>> tokens;
    TSimpleHTMLParser parser(text);
    for (; parser.TokenKind() != Kind::End; parser.Next()) {
        tokens.emplace_back(parser.TokenKind(), parser.TokenText());
        if (tokens.size() > text.size() + 1)
            break;  // a parser that stops moving would never reach End
    }
    return tokens;
}

TEST(SimpleHTMLParserTest, SplitsTextRunsAndTags) {
    using T = std::vector<std::pair<Kind, std::string>>;
    EXPECT_EQ(Tokens("<p>Hello<br>World</p>"), (T{{Kind::Tag, "p"},
                                                  {Kind::Text, "Hello"},
                                                  {Kind::Tag, "br"},
                                                  {Kind::Text, "World"},
                                                  {Kind::Tag, "/p"}}));
}

TEST(SimpleHTMLParserTest, TextRunsKeepInnerAndTrailingBlanksButNotLeadingOnes) {
    using T = std::vector<std::pair<Kind, std::string>>;
    EXPECT_EQ(Tokens("  \t one two \t<b>"), (T{{Kind::Text, "one two \t"}, {Kind::Tag, "b"}}));
    // Line breaks end a run; the next run starts after the skipped breaks.
    EXPECT_EQ(
        Tokens("one\r\n\r\n  two\rthree\nfour"),
        (T{{Kind::Text, "one"}, {Kind::Text, "two"}, {Kind::Text, "three"}, {Kind::Text, "four"}}));
}

TEST(SimpleHTMLParserTest, TagTextRunsToFirstCloserWhateverItHolds) {
    using T = std::vector<std::pair<Kind, std::string>>;
    EXPECT_EQ(Tokens("<A HREF=x.htm>News"), (T{{Kind::Tag, "A HREF=x.htm"}, {Kind::Text, "News"}}));
    EXPECT_EQ(Tokens("<a <b>c>"), (T{{Kind::Tag, "a <b"}, {Kind::Text, "c>"}}));
    EXPECT_EQ(Tokens("<>x"), (T{{Kind::Tag, ""}, {Kind::Text, "x"}}));
    EXPECT_EQ(Tokens("<a\r\nhref=x>"), (T{{Kind::Tag, "a\r\nhref=x"}}));
}

TEST(SimpleHTMLParserTest, UnterminatedTagEndsTheScan) {
    TSimpleHTMLParser parser("text <a href");
    parser.Next();
    EXPECT_EQ(parser.TokenKind(), Kind::Tag);
    EXPECT_EQ(parser.TokenText(), "a href");
    parser.Next();
    EXPECT_EQ(parser.TokenKind(), Kind::End);
    EXPECT_EQ(parser.TokenText(), "");
    parser.Next();
    EXPECT_EQ(parser.TokenKind(), Kind::End);
}

TEST(SimpleHTMLParserTest, NulEndsTheText) {
    using T = std::vector<std::pair<Kind, std::string>>;
    using namespace std::string_literals;
    EXPECT_EQ(Tokens("one\0two<p>"s), (T{{Kind::Text, "one"}}));
    EXPECT_EQ(Tokens("<b\0>rest"s), (T{{Kind::Tag, "b"}}));
    EXPECT_TRUE(Tokens("\0abc"s).empty());
    EXPECT_TRUE(Tokens(" \r\n\t").empty());
    EXPECT_TRUE(Tokens("").empty());
}

struct IsTagCase {
    std::string tag;
    std::string name;
    bool expected;
};

TEST(SimpleHTMLParserTest, IsTagMatchesWholeNameInAnyCaseOrExactPrefix) {
    const std::vector<IsTagCase> cases = {
        {"P", "P", true},         {"p", "P", true},         {"PRE", "P", true},
        {"PARAM", "P", true},     {"P class=x", "P", true}, {"p class=x", "P", false},
        {"pre", "P", false},      {"br", "BR", true},       {"Br", "BR", true},
        {"br/", "BR", false},     {"BR/", "BR", true},      {"BR CLEAR=all", "BR", true},
        {"A", "A", true},         {"A", "a", true},         {"a", "A", true},
        {"a", "a", true},         {"A HREF=x", "A", true},  {"A HREF=x", "a", false},
        {"a href=x", "A", false}, {"a href=x", "a", true},  {"/a", "a", false},
        {"/A", "A", false},       {"", "P", false},         {"ABBR", "A", true},
        {"\xC0", "\xE0", false},
    };
    for (const auto& c : cases) {
        TSimpleHTMLParser parser("<" + c.tag + ">");
        EXPECT_EQ(parser.IsTag(c.name), c.expected) << "tag <" << c.tag << "> name " << c.name;
    }
    TSimpleHTMLParser text("P");
    EXPECT_FALSE(text.IsTag("P")) << "a text run is never a tag";
}

}  // namespace
}  // namespace zelvo::text
