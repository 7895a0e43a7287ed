#include "text/PageConversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/FileReplace.h"
#include "support/Files.h"
#include "support/PageGenerator.h"
#include "support/ReferenceConversion.h"
#include "support/TempDir.h"
#include "text/PageDecoding.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

std::string Blanks(std::size_t n) {
    return std::string(n, ' ');
}

using zelvo::testing::Slurp;

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
    EXPECT_EQ(BuildLineText("<A HREF=x.htm>News</A>"), "\u00A6 News");
    EXPECT_EQ(PageToTickerText("<A HREF=x.htm>News</A>"), "    News  ");
    EXPECT_EQ(BuildLineText("<a>News</a>"), "\u00A6\u00A6 News");
    EXPECT_EQ(PageToTickerText("<a>News</a>"), Blanks(4) + "News  ");
    EXPECT_EQ(BuildLineText("<a href=x>News</a>"), "\u00A6 News");
}

TEST(PageConversionTest, EntitiesFollowTheTableOrder) {
    EXPECT_EQ(PageToTickerText("Tom &amp; Jerry"), " Tom  &&  Jerry  ");
    EXPECT_EQ(PageToTickerText("A&nbsp;B"), " AB  ");
    EXPECT_EQ(PageToTickerText("1 &lt; 2"), " 1 lt; 2  ");
    EXPECT_EQ(PageToTickerText("amp; quot;x"), "  &&  'x  ");
    EXPECT_EQ(PageToTickerText("a&#0151;b&#151;c&#169;d&#174;e&copy;f&reg;g"),
              " a--b--c\u00A9 d\u00AE e\u00A9 f\u00AE g  ");
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
    EXPECT_EQ(BuildLineText(PageBufferText("Hi <a")), " Hi \u00A6");
    EXPECT_EQ(BuildLineText(PageBufferText("Hi <A")), " Hi \u00A6");
    EXPECT_EQ(PageToTickerText("Hi <a"), " Hi   ");
}

// --- Forward scanning against the rescanning reference -------------------------

// The ticker's text for a page read as Windows-1252, and what the byte form
// of old gives for it, read the same way: the two must agree on every page.
std::string ReadAsCp1252(const std::string& page) {
    return ConvertPageUtf8(text::Cp1252ToUtf8(page));
}
std::string Reference(const std::string& page) {
    return text::Cp1252ToUtf8(reference::PageToTickerText(page));
}

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
            ASSERT_EQ(ReadAsCp1252(page), Reference(page)) << "seed " << seed << " page " << i;
        }
    }
}

TEST(ForwardScanningTest, LargePagesAgreeWithRescanning) {
    testing::PageGenerator gen(4242);
    for (int i = 0; i < 3; ++i) {
        const std::string page = gen.Page(200000);
        ASSERT_EQ(ReadAsCp1252(page), Reference(page)) << i;
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
        // Tags that give more bytes than they take, with and without text
        // between them: the line overtakes the text it is written over.
        [] {
            std::string s;
            for (int i = 0; i < 3000; ++i)
                s += i % 2 ? "<p>" : "<a>";
            return s + "tail &amp; end";
        }(),
        [] {
            std::string s = "lead";
            for (int i = 0; i < 2000; ++i)
                s += i % 3 ? "<P>x" : "<A>y<a>";
            return s;
        }(),
        [] {
            // Room made by line breaks first, used up some way in.
            std::string s = "<br><br><br>";
            for (int i = 0; i < 2000; ++i)
                s += i % 2 ? "<p>" : "<A>z";
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
        ASSERT_EQ(ReadAsCp1252(pages[i]), Reference(pages[i])) << i;
}

// --- Characters, not bytes ------------------------------------------------------

TEST(CharacterConversionTest, LettersWhoseBytesMeetTheTableSurviveInUtf8) {
    // "æ" is C3 A6 and an em dash E2 80 94: bytes the table once took for
    // the broken bar and the closing quote.
    EXPECT_EQ(PageToTickerText("<p>K\u00E6rlighed \u2014 f\u00F8rst</p>"),
              "  K\u00E6rlighed \u2014 f\u00F8rst  ");
    EXPECT_EQ(PageToTickerText("\u201Cq\u201D \u00A6 <a>x</a>"), " 'q'   x  ");
}

TEST(CharacterConversionTest, SpanDistancesCountCharacters) {
    // "[" and 123 letters of two bytes each: 124 characters, within the 125
    // allowed; one letter more is too far.
    std::string wide;
    for (int i = 0; i < 123; ++i)
        wide += "\u00E9";
    EXPECT_EQ(PageToTickerText("a [" + wide + "] b"), " a  b  ");
    EXPECT_EQ(PageToTickerText("a [" + wide + "\u00E9] b"), " a [" + wide + "\u00E9] b  ");
}

TEST(CharacterConversionTest, Cp1252PagesGiveTheOldTextReadAsCp1252) {
    // Every byte, the five unassigned ones included, in and around markup.
    std::string page;
    for (int b = 1; b < 256; ++b) {
        page += static_cast<char>(b);
        if (b % 16 == 0)
            page += "<a>&amp;[x]<br>";
    }
    EXPECT_EQ(ReadAsCp1252(page), Reference(page));
    EXPECT_NE(ReadAsCp1252(page).find("\u0081"), std::string::npos);
    EXPECT_NE(ReadAsCp1252(page).find("\u009D"), std::string::npos);
}

// --- Feeds ------------------------------------------------------------------------

TEST(FeedConversionTest, HeadlinesFollowTheFeedTitleWithTheirLinks) {
    const std::string rss =
        "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Daily &amp; Co</title>"
        "<link>http://127.0.0.1/</link>"
        "<item><title>First</title><link>http://127.0.0.1/1</link></item>"
        "<item><title><![CDATA[Second <b>bold</b>]]></title><link>http://127.0.0.1/2</link></item>"
        "</channel></rss>";
    TTickerPage page = ConvertReceivedPage(std::string(rss), "text/xml");
    const std::string sep = kHeadlineSeparator;
    // One ampersand: the strip's label does its own escaping.
    EXPECT_EQ(page.text, " Daily & Co" + sep + "First" + sep + "Second bold  ");
    ASSERT_EQ(page.headlines.size(), 3u);
    const std::size_t firstAt = text::CharCount(page.text.substr(0, page.text.find("First")));
    EXPECT_EQ(HeadlineAt(page.headlines, firstAt)->link, "http://127.0.0.1/1");
    EXPECT_EQ(HeadlineAt(page.headlines, firstAt + 4)->link, "http://127.0.0.1/1");
    EXPECT_EQ(HeadlineAt(page.headlines, firstAt + 5), nullptr) << "the separator leads nowhere";
    const std::size_t secondAt = text::CharCount(page.text.substr(0, page.text.find("Second")));
    EXPECT_EQ(HeadlineAt(page.headlines, secondAt + 7)->link, "http://127.0.0.1/2");
    EXPECT_EQ(HeadlineAt(page.headlines, 1)->link, "http://127.0.0.1/");
    EXPECT_EQ(HeadlineAt(page.headlines, 0), nullptr);
}

TEST(FeedConversionTest, AMalformedFeedIsStillReadAsAFeed) {
    TTickerPage page = ConvertReceivedPage(
        "\n<rss><channel><title>T</title><item><title>A</item><link>/a</link></channel></rss>",
        "text/html", "", "http://127.0.0.1/dir/feed.xml");
    const std::string sep = kHeadlineSeparator;
    EXPECT_EQ(page.text, " T" + sep + "A  ");
    ASSERT_EQ(page.headlines.size(), 1u) << "the link after the item is the channel's";
    EXPECT_EQ(page.headlines[0].link, "http://127.0.0.1/a");
    page = ConvertReceivedPage("<html><body><item><title>Not a feed</title></item></body></html>",
                               "text/html");
    EXPECT_TRUE(page.headlines.empty());
    EXPECT_EQ(page.text, " Not a feed  ");
}

TEST(FeedConversionTest, RelativeLinksOpenAbsoluteAndTheLineIsBounded) {
    std::string rss = "<rss><channel><title>T</title>";
    for (int i = 0; i < 300; ++i)
        rss += "<item><title>H" + std::to_string(i) + "</title><link>/a/" + std::to_string(i) +
               "</link></item>";
    rss += "</channel></rss>";
    const TTickerPage page =
        ConvertReceivedPage(std::move(rss), "application/rss+xml", "", "https://127.0.0.1/x/f");
    ASSERT_EQ(page.headlines.size(), kMaxFeedHeadlines - 1) << "the title has no link";
    EXPECT_EQ(page.headlines.front().link, "https://127.0.0.1/a/0");
    EXPECT_EQ(page.text.find("H199"), std::string::npos);
    EXPECT_NE(page.text.find("H198"), std::string::npos);
}

TEST(FeedConversionTest, AnUndeclaredFeedWithOneBadByteKeepsItsLetters) {
    const TTickerPage page = ConvertReceivedPage(
        "<rss><channel><title>\xC3\xA9t\xC3\xA9 \xFF</title></channel></rss>", "");
    EXPECT_EQ(page.text, " \u00E9t\u00E9 \uFFFD  ");
    EXPECT_EQ(page.charset, "UTF-8");
}

// --- The conversion step of a fetch ----------------------------------------------

TEST(ConvertPageTextTest, LeavesTheTickerTextInTheBufferAndInThePageFile) {
    testing::TempDir dir;
    std::vector<std::string> memo = LoadBufferLines("<p>Hello<br>World</p>\r\n");
    std::string tickerText;
    ConvertPageText(memo, tickerText, dir.Path());
    EXPECT_EQ(tickerText, "  Hello   World  ");
    EXPECT_EQ(memo, std::vector<std::string>{tickerText});
    EXPECT_EQ(Slurp(dir / kPageTextFile), tickerText + "\r\n");

    // The next page replaces the file.
    memo = LoadBufferLines("Next");
    ConvertPageText(memo, tickerText, dir.Path() + "/");
    EXPECT_EQ(Slurp(dir / kPageTextFile), " Next  \r\n");
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
}  // namespace zelvo::text
