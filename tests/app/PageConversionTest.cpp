#include "app/PageConversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/PageGenerator.h"
#include "app/ReferenceConversion.h"
#include "platform/FileReplace.h"
#include "support/TempDir.h"

namespace zelvo::app {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

std::string Blanks(std::size_t n) {
    return std::string(n, ' ');
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// --- The line buffer ---------------------------------------------------------

TEST(LineBufferTest, EveryKindOfLineBreakEndsALineAndTheTextEndsWithOne) {
    using L = std::vector<std::string>;
    EXPECT_EQ(LoadBufferLines("a\r\nb\rc\nd"), (L{"a", "b", "c", "d"}));
    EXPECT_EQ(LoadBufferLines("\n\r"), (L{"", ""})) << "LF CR is two breaks";
    EXPECT_EQ(LoadBufferLines("x\r\n"), (L{"x"})) << "a final break adds no empty line";
    EXPECT_EQ(LoadBufferLines("x\r\n\r\n"), (L{"x", ""}));
    EXPECT_EQ(LoadBufferLines(""), L{});
    EXPECT_EQ(LoadBufferLines("ab\0cd\r\nef"sv), (L{"ab"}));
    EXPECT_EQ(BufferText({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(BufferText({}), "");
    EXPECT_EQ(PageBufferText("a\rb\n\rc"), "a\r\nb\r\n\r\nc\r\n");
    EXPECT_EQ(PageBufferText("\0x"sv), "");
}

TEST(LineBufferTest, OnePassFormAgreesWithLinesOnGeneratedPages) {
    testing::PageGenerator gen(7);
    for (int i = 0; i < 300; ++i) {
        const std::string page = gen.Page(gen.Below(3000));
        ASSERT_EQ(PageBufferText(page), BufferText(LoadBufferLines(page))) << "page " << i;
    }
}

// --- The examples of the conversion ------------------------------------------

TEST(PageConversionTest, ParagraphAndLineBreaksBecomeBlanks) {
    EXPECT_EQ(BuildLineText("<p>Hello<br>World</p>"), "\r\n\r\n Hello\r\n World");
    EXPECT_EQ(PageToTickerText("<p>Hello<br>World</p>"), "  Hello   World  ");
}

TEST(PageConversionTest, UpperCaseTagsMatchWithAttributesLowerCaseOnlyBare) {
    EXPECT_EQ(BuildLineText("<P class=x>Hi"), "\r\n\r\n Hi");
    EXPECT_EQ(BuildLineText("<p class=x>Hi"), " Hi");
    EXPECT_EQ(BuildLineText("<br/>Hi<BR/>"), " Hi\r\n");
}

TEST(PageConversionTest, AnchorsLeaveBlanks) {
    EXPECT_EQ(BuildLineText("<A HREF=x.htm>News</A>"), "\xA6 News");
    EXPECT_EQ(PageToTickerText("<A HREF=x.htm>News</A>"), "    News  ");
    EXPECT_EQ(BuildLineText("<a>News</a>"), "\xA6\xA6 News");
    EXPECT_EQ(PageToTickerText("<a>News</a>"), Blanks(4) + "News  ");
    EXPECT_EQ(BuildLineText("<a href=x>News</a>"), "\xA6 News");
}

TEST(PageConversionTest, EntitiesFollowTheTableOrder) {
    EXPECT_EQ(PageToTickerText("Tom &amp; Jerry"), " Tom  &&  Jerry  ");
    EXPECT_EQ(PageToTickerText("A&nbsp;B"), " AB  ");
    EXPECT_EQ(PageToTickerText("1 &lt; 2"), " 1 lt; 2  ");
    EXPECT_EQ(PageToTickerText("amp; quot;x"), "  &&  'x  ");
    EXPECT_EQ(PageToTickerText("a&#0151;b&#151;c&#169;d&#174;e&copy;f&reg;g"),
              " a--b--c\xA9 d\xAE e\xA9 f\xAE g  ");
    EXPECT_EQ(PageToTickerText("\x93q\x94 &#0147;r&#148; se&#241;or"), " 'q' 'r' senor  ");
    EXPECT_EQ(PageToTickerText("a|b"), " a  b  ");
    // Removing an inner entity completes an outer one, which goes too.
    EXPECT_EQ(PageToTickerText("x&nb&nbsp;sp;y"), " xy  ");
    EXPECT_EQ(PageToTickerText("a&#0&#011b"), " ab  ");
    EXPECT_EQ(PageToTickerText("&#0&#01151;"), " 51;  ");
}

TEST(PageConversionTest, CommentsLeaveAnEmptyTag) {
    EXPECT_EQ(PageToTickerText("first <!-- note --> second"), " first  second  ");
    // A closer before the first opener keeps every comment.
    EXPECT_EQ(PageToTickerText("a --> b <!-- c --> d"), " a --> b  d  ");
    std::string text = "x<!--a-->y<!--b-->z";
    StripComments(text);
    EXPECT_EQ(text, "x<>y<>z");
    text = "<!-->";
    StripComments(text);
    EXPECT_EQ(text, "<>");
    text = "<!-- open only";
    StripComments(text);
    EXPECT_EQ(text, "<!-- open only");
}

TEST(PageConversionTest, BoundedSpansAreRemovedOnlyWhileTheFirstPairQualifies) {
    EXPECT_EQ(PageToTickerText("x [abc] y"), " x  y  ");
    const std::string far = "[" + std::string(124, 'q') + "]";
    EXPECT_EQ(PageToTickerText("a " + far + " [abc] b"), " a " + far + " [abc] b  ");
    const std::string near = "[" + std::string(123, 'q') + "]";
    EXPECT_EQ(PageToTickerText("a " + near + " b"), " a  b  ");
    EXPECT_EQ(PageToTickerText("a ] [abc] b"), " a ] [abc] b  ");
    EXPECT_EQ(PageToTickerText("a {x} /* c */ b"), " a   b  ");
    EXPECT_EQ(PageToTickerText("go http://site/ now --> on"), " go http: on  ");
    std::string text = "/*/";
    RemoveRange(text, "/*", 65, "*/");
    EXPECT_EQ(text, "") << "the closer may share the opener's star";
}

TEST(PageConversionTest, LongBlankRunsShrinkToTwoThreeOrFour) {
    EXPECT_EQ(ReplaceAll("     ", Blanks(10), "  "), Blanks(4));
    EXPECT_EQ(ReplaceAll("     ", Blanks(5), "  "), Blanks(2));
    EXPECT_EQ(ReplaceAll("     ", Blanks(4), "  "), Blanks(4));
    EXPECT_EQ(ReplaceAll("     ", "a" + Blanks(11) + "b" + Blanks(7), "  "),
              "a" + Blanks(2) + "b" + Blanks(4));
}

TEST(PageConversionTest, ReplaceAllLeavesTextAloneWhenReplacementHoldsTheFind) {
    EXPECT_EQ(ReplaceAll("a", "banana", "aa"), "banana");
    EXPECT_EQ(ReplaceAll("x", "banana", "y"), "banana");
    EXPECT_EQ(ReplaceAll("", "banana", "y"), "banana");
}

TEST(PageConversionTest, EmptyAndTagOnlyPagesGiveTwoBlanks) {
    EXPECT_EQ(PageToTickerText(""), "  ");
    EXPECT_EQ(PageToTickerText("<html><body></body></html>\r\n"), "  ");
    EXPECT_EQ(PageToTickerText("\0<p>lost"sv), "  ");
}

TEST(PageConversionTest, UnterminatedTagAtTheEndMeetsTheBuffersLineBreak) {
    // The buffer's closing CR LF belongs to the tag's text: "a\r\n" is no
    // longer the bare name, so only the exact-prefix test passes.
    EXPECT_EQ(BuildLineText(PageBufferText("Hi <a")), " Hi \xA6");
    EXPECT_EQ(BuildLineText(PageBufferText("Hi <A")), " Hi \xA6");
    EXPECT_EQ(PageToTickerText("Hi <a"), " Hi   ");
}

// --- Forward scanning against the rescanning reference -------------------------

std::string RandomText(std::mt19937& rng, std::string_view alphabet, std::size_t maxLen) {
    std::uniform_int_distribution<std::size_t> len(0, maxLen);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string s(len(rng), ' ');
    for (char& c : s)
        c = alphabet[pick(rng)];
    return s;
}

TEST(ForwardScanningTest, ReplaceAllAgreesWithRescanningOnSmallAlphabets) {
    std::mt19937 rng(11);
    for (int i = 0; i < 20000; ++i) {
        const std::string_view alphabet = i % 2 ? "ab"sv : "ab c"sv;
        std::string find = RandomText(rng, alphabet, 5);
        if (find.empty())
            find = "a";
        // A longer replacement can make the rescanning loop grow the text
        // without bound ("ab" by "bbaa"); the table's only growing rows
        // replace single bytes, which cannot cascade.
        const std::string with = RandomText(rng, alphabet, find.size() == 1 ? 4 : find.size() - 1);
        const std::string text = RandomText(rng, alphabet, 60);
        ASSERT_EQ(ReplaceAll(find, text, with), reference::ReplaceAll(find, text, with))
            << "find '" << find << "' with '" << with << "' in '" << text << "'";
    }
}

TEST(ForwardScanningTest, ReplaceAllAgreesOnLongTextsAndGrowingReplacements) {
    std::mt19937 rng(14);
    for (int i = 0; i < 3000; ++i) {
        // Long texts over two letters: the search stops at nearly every byte.
        std::string find = RandomText(rng, "ab", 4);
        find += 'a';
        // Each replacement then removes an "a" for good, so even a growing one
        // ends.
        const std::string with = RandomText(rng, "bc", 6);
        const std::string text = RandomText(rng, i % 2 ? "ab"sv : "abbbbbbbbc"sv, 600);
        ASSERT_EQ(ReplaceAll(find, text, with), reference::ReplaceAll(find, text, with))
            << "find '" << find << "' with '" << with << "' in '" << text << "'";
    }
}

TEST(ForwardScanningTest, ReplaceAllCascadesLikeRescanning) {
    const std::vector<std::string> cases[] = {{"ab", "aaabbbab", "ba"},
                                              {"amp;", "amamp;p;amp;", " && "},
                                              {"&#01", "&#0&#0&#0111", ""},
                                              {"\r\n", "\r\r\n\n\r\n", "  "},
                                              {"     ", std::string(40, ' '), "  "}};
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceAll(c[0], c[1], c[2]), reference::ReplaceAll(c[0], c[1], c[2])) << c[1];
}

TEST(ForwardScanningTest, RemoveRangeAgreesWithRescanningOnSmallAlphabets) {
    std::mt19937 rng(12);
    for (int i = 0; i < 20000; ++i) {
        const std::string_view alphabet = "[]/*x"sv;
        std::string open = RandomText(rng, alphabet, 3);
        std::string close = RandomText(rng, alphabet, 3);
        if (open.empty())
            open = "[";
        if (close.empty())
            close = "]";
        const int distance = std::uniform_int_distribution<int>(1, 40)(rng);
        std::string fast = RandomText(rng, alphabet, i % 10 == 0 ? 600 : 60);
        std::string slow = fast;
        const std::string before = fast;
        RemoveRange(fast, open, distance, close);
        reference::RemoveRange(slow, open, distance, close);
        ASSERT_EQ(fast, slow) << "open '" << open << "' close '" << close << "' distance "
                              << distance << " in '" << before << "'";
    }
}

TEST(ForwardScanningTest, StripCommentsAgreesWithRescanning) {
    std::mt19937 rng(13);
    const std::vector<std::string> bits = {"<!--", "-->", "<", "!", "-", ">", "a", "--"};
    for (int i = 0; i < 20000; ++i) {
        std::string fast;
        for (int n = std::uniform_int_distribution<int>(0, 20)(rng); n > 0; --n)
            fast += bits[std::uniform_int_distribution<std::size_t>(0, bits.size() - 1)(rng)];
        std::string slow = fast;
        const std::string before = fast;
        StripComments(fast);
        reference::StripComments(slow);
        ASSERT_EQ(fast, slow) << "in '" << before << "'";
    }
}

TEST(ForwardScanningTest, WholeConversionAgreesWithRescanningOnGeneratedPages) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        testing::PageGenerator gen(seed);
        for (int i = 0; i < 60; ++i) {
            const std::size_t size = i % 20 == 0 ? 20000 : gen.Below(2500);
            const std::string page = i % 3 == 0 ? gen.Dense(size) : gen.Page(size);
            ASSERT_EQ(PageToTickerText(page), reference::PageToTickerText(page))
                << "seed " << seed << " page " << i;
        }
    }
}

TEST(ForwardScanningTest, LargePagesAgreeWithRescanning) {
    testing::PageGenerator gen(4242);
    for (int i = 0; i < 3; ++i) {
        const std::string page = gen.Page(200000);
        ASSERT_EQ(PageToTickerText(page), reference::PageToTickerText(page)) << i;
    }
}

TEST(ForwardScanningTest, AdversarialPagesAgreeWithRescanning) {
    const std::vector<std::string> pages = {
        std::string(20000, '&'),
        std::string(20000, ' '),
        std::string(20000, '\t'),
        std::string(10000, '\n'),
        "x" + std::string(20000, ' ') + "y",
        [] {
            std::string s;
            for (int i = 0; i < 3000; ++i)
                s += "[a]";
            return s;
        }(),
        std::string(3000, '[') + std::string(3000, ']'),
        "<!--" + std::string(20000, '-'),
        [] {
            std::string s;
            for (int i = 0; i < 2000; ++i)
                s += "&amp;&nbsp;&#01|";
            return s;
        }(),
        [] {
            std::string s;
            for (int i = 0; i < 2000; ++i)
                s += "&nb";
            for (int i = 0; i < 2000; ++i)
                s += "sp;";
            return s;
        }(),
    };
    for (std::size_t i = 0; i < pages.size(); ++i)
        ASSERT_EQ(PageToTickerText(pages[i]), reference::PageToTickerText(pages[i])) << i;
}

// --- The conversion step of a fetch ----------------------------------------------

TEST(ConvertPageTextTest, LeavesTheTickerTextInTheBufferAndInThePageFile) {
    testing::TempDir dir;
    std::vector<std::string> memo = LoadBufferLines("<p>Hello<br>World</p>\r\n");
    std::string tickerText;
    ConvertPageText(memo, tickerText, dir.Path());
    EXPECT_EQ(tickerText, "  Hello   World  ");
    EXPECT_EQ(memo, std::vector<std::string>{tickerText});
    EXPECT_EQ(ReadFile(dir / kPageTextFile), tickerText + "\r\n");

    // The next page replaces the file.
    memo = LoadBufferLines("Next");
    ConvertPageText(memo, tickerText, dir.Path() + "/");
    EXPECT_EQ(ReadFile(dir / kPageTextFile), " Next  \r\n");
}

TEST(ConvertPageTextTest, LogLinesAreConvertedWhenNoBodyArrived) {
    testing::TempDir dir;
    std::vector<std::string> memo = {"cmd> GET /", "StatusCode = 200"};
    std::string tickerText;
    ConvertPageText(memo, tickerText, dir.Path());
    EXPECT_EQ(tickerText, " cmd> GET / StatusCode = 200  ");
}

TEST(ConvertPageTextTest, AFailedWriteThrowsAfterTheTextIsSet) {
    testing::TempDir dir;
    std::vector<std::string> memo = {"News"};
    std::string tickerText;
    EXPECT_THROW(ConvertPageText(memo, tickerText, dir / "missing"), platform::FileReplaceError);
    EXPECT_EQ(tickerText, " News  ");
    EXPECT_EQ(memo, std::vector<std::string>{" News  "});
}

}  // namespace
}  // namespace zelvo::app
