#include "text/HeadlineReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/PageReading.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kPageUrl = "http://news.test/world/index.html";

THeadlineReading Read(const std::string& html, const char* url = kPageUrl) {
    return ReadHeadlines(html, url);
}

Lines Texts(const THeadlineReading& r) {
    Lines out;
    for (const THeadlineItem& h : r.headlines)
        out.push_back(h.text);
    return out;
}

Lines LinksOf(const THeadlineReading& r) {
    Lines out;
    for (const THeadlineItem& h : r.headlines)
        out.push_back(h.link);
    return out;
}

// Three ordinary headlines, so a page stays a headline page whatever else a
// test puts into it.
const std::string kThree =
    "<ul><li><a href=/a>Storm closes the coastal road</a>"
    "<li><a href=/b>Council votes on the new budget</a>"
    "<li><a href=/c>League final ends in a draw</a></ul>";
const Lines kThreeTexts{"Storm closes the coastal road", "Council votes on the new budget",
                        "League final ends in a draw"};

// --- What a browser would not show, and the page's furniture -------------------------

TEST(HeadlineReaderTest, SkippedContentGivesNeitherHeadlinesNorText) {
    const Lines hiding{
        "<script>var s = '<a href=/x>Secret words of the script</a>';</script>",
        "<style>h1 { content: 'Secret words of the style' }</style>",
        "<template><h2>Secret words of the template</h2></template>",
        "<svg><title>Secret words of the drawing</title><text>Secret</text></svg>",
        "<svg viewBox='0 0 1 1'/><h2>Shown after a closed drawing</h2>",
        "<noscript><a href=/x>Secret words without script</a></noscript>",
        "<iframe><a href=/x>Secret words of the frame</a></iframe>",
        "<nav><a href=/x>Secret words in the navigation</a></nav>",
        "<footer><h3>Secret words in the footer</h3></footer>",
        "<form><a href=/x>Secret words inside a form</a><h2>Secret</h2></form>",
        "<div hidden><h2>Secret words of a hidden block</h2></div>",
        "<div aria-hidden=\" TRUE \"><a href=/x>Secret words hidden from readers</a></div>",
        "<p style=\"color:red; DISPLAY : none\"><a href=/x>Secret words not displayed</a></p>",
        "<span style=\"visibility:hidden\"><a href=/x>Secret words made invisible</a></span>",
        "<div class=\"promo Visually-Hidden\"><a href=/x>Secret words for screen readers</a></div>",
        "<video src=v.mp4><a href=/x>Secret words of a fallback</a></video>",
    };
    for (const std::string& part : hiding) {
        const std::string page = "<title>Daily</title><body>" + part + kThree + "</body>";
        const THeadlineReading r = Read(page);
        for (const std::string& text : Texts(r))
            EXPECT_EQ(text.find("Secret"), std::string::npos) << part;
        Lines expected = kThreeTexts;
        if (part.find("Shown after") != std::string::npos)
            expected.insert(expected.begin(), "Shown after a closed drawing");
        EXPECT_EQ(Texts(r), expected) << part;
        // The fallback text skips the same content; a form's text is shown.
        const THeadlineReading alone = Read("<p>Plain words. " + part + " More words.</p>");
        if (part.find("<form>") == std::string::npos) {
            EXPECT_EQ(alone.visibleText.find("Secret"), std::string::npos) << part;
        }
    }
    // Hiding that is not: aria-hidden false, a style that only mentions none.
    const THeadlineReading shown = Read(
        "<div aria-hidden=false><a href=/x>Shown words of a visible block</a></div>"
        "<div style=\"font-family: none\"><h2>Shown in a font called none</h2></div>" +
        kThree);
    EXPECT_EQ(Texts(shown).size(), 5u);
}

TEST(HeadlineReaderTest, AQuotedGreaterThanSignDoesNotEndTheTag) {
    const THeadlineReading r =
        Read("<div data-state='{\"html\":\"<b>x</b>\", \"n\": \">\"}'>" + kThree + "</div>");
    EXPECT_EQ(Texts(r), kThreeTexts);
    const THeadlineReading text = Read("<p title=\"a > b\">Only these words show.</p>");
    EXPECT_EQ(text.visibleText, "Only these words show.");
}

// --- Which links are headlines ---------------------------------------------------------

TEST(HeadlineReaderTest, LinksNeedFourWordsAndProseKeepsItsLinks) {
    const THeadlineReading r = Read(
        "<a href=/1>Three word link</a>"
        "<a href=/2>Four words make one</a>"
        "<p>The minister said on Monday that prices would rise again, as "
        "<a href=/3>the report on oil prices</a> had warned.</p>"
        "<p><a href=/4>First of a list of links</a> | <a href=/5>Second of a list of links</a></p>"
        // Eight ideographs count as four words.
        "<a href=/6>\u5e02\u8b70\u4f1a\u304c\u4e88\u7b97\u3092\u53ef</a>"
        "<a href=/7>\u56fd\u969b\u65b0\u805e</a>");
    EXPECT_EQ(Texts(r),
              (Lines{"Four words make one", "First of a list of links", "Second of a list of links",
                     "\u5e02\u8b70\u4f1a\u304c\u4e88\u7b97\u3092\u53ef"}));
}

TEST(HeadlineReaderTest, LinksThatLeaveThePageForNoPageAreNotHeadlines) {
    const THeadlineReading r = Read(
        "<a href='#main'>Skip to the main content</a>"
        "<a href='javascript:void(0)'>Show all the comments here</a>"
        "<a href='MAILTO:desk@news.test'>Send us your news tips</a>"
        "<a>An anchor without any address</a>" +
        kThree);
    EXPECT_EQ(Texts(r), kThreeTexts);
}

TEST(HeadlineReaderTest, HeadingsInPageOrderWithTheLinkInsideOrAroundThem) {
    const THeadlineReading r = Read(
        "<title>The Daily</title>"
        "<h1>Main story of the day</h1>"
        "<h2><a href=inside.html>Heading with its link inside</a> <small>2 min</small></h2>"
        "<a href=/around><h3>Heading in a link</h3><p>with a teaser under it</p></a>"
        "<h4>A minor heading is not a headline</h4>"
        "<a href=/after>A link after the headings</a>");
    EXPECT_EQ(r.title, "The Daily");
    EXPECT_EQ(Texts(r), (Lines{"Main story of the day", "Heading with its link inside 2 min",
                               "Heading in a link", "A link after the headings"}));
    EXPECT_EQ(LinksOf(r), (Lines{"", "http://news.test/world/inside.html",
                                 "http://news.test/around", "http://news.test/after"}));
}

TEST(HeadlineReaderTest, EachHeadlineOnceWhateverItsCaseAndSpacing) {
    const THeadlineReading r = Read(
        "<title>Storm Closes the Coastal Road</title>"
        "<h1>Storm closes the coastal road</h1>"
        "<h2>Council votes on the new budget</h2>"
        "<a href=/x>  COUNCIL votes\n on the   new budget </a>"
        "<a href=/y>League final ends in a draw</a>"
        "<a href=/z>League final ends in a draw</a>"
        "<a href=/w>Prices of oil fell again</a>");
    EXPECT_EQ(Texts(r), (Lines{"Council votes on the new budget", "League final ends in a draw",
                               "Prices of oil fell again"}));
    EXPECT_EQ(LinksOf(r)[1], "http://news.test/y");
}

TEST(HeadlineReaderTest, AFormAroundTheWholePageKeepsItsHeadlines) {
    const THeadlineReading wrapped =
        Read("<body><form id=page action=/default.aspx><h1>Main story of the day</h1>" + kThree +
             "<form><a href=/s>Search all of the site</a></form></form>");
    EXPECT_EQ(Texts(wrapped).size(), 5u);
    EXPECT_EQ(Texts(wrapped)[0], "Main story of the day");
    // A small form's links, before and after, stay out.
    const THeadlineReading search = Read(
        "<form><a href=/s>Search all of the site</a><input name=q></form>" + kThree +
        "<form action=/join><a href=/t>Terms of the daily letter</a></form>");
    EXPECT_EQ(Texts(search), kThreeTexts);
}

TEST(HeadlineReaderTest, AtMostFortyHeadlines) {
    std::string page;
    for (int i = 0; i < 60; ++i)
        page += "<li><a href=/" + std::to_string(i) + ">Story number " + std::to_string(i) +
                " of the day</a>";
    const THeadlineReading r = Read(page);
    ASSERT_EQ(r.headlines.size(), kMaxPageHeadlines);
    EXPECT_EQ(r.headlines.back().text, "Story number 39 of the day");

    // Long headlines fill the line sooner: it stays within 4,000 characters.
    std::string teasers;
    for (int i = 0; i < 40; ++i) {
        teasers += "<h2>Story " + std::to_string(i);
        for (int w = 0; w < 30; ++w)
            teasers += " word";
        teasers += "</h2>";
    }
    const TTickerPage line = HeadlineTickerPage(Read("<title>T</title>" + teasers));
    EXPECT_LE(CharCount(line.text), kMaxLineChars + 3);
    EXPECT_GT(CharCount(line.text), kMaxLineChars - 200);
}

// --- Addresses -------------------------------------------------------------------------

TEST(HeadlineReaderTest, LinksResolveAgainstTheFirstBaseAndThePageAddress) {
    const THeadlineReading plain =
        Read(kThree + "<a href='../up/one.html'>One level up from here</a>");
    EXPECT_EQ(LinksOf(plain), (Lines{"http://news.test/a", "http://news.test/b",
                                     "http://news.test/c", "http://news.test/up/one.html"}));
    EXPECT_EQ(plain.titleLink, kPageUrl);

    const THeadlineReading based = Read(
        "<head><base href='/mirror/'><base href='http://other.test/'></head>"
        "<a href='story.html'>The story from the mirror</a>" +
        kThree);
    EXPECT_EQ(LinksOf(based)[0], "http://news.test/mirror/story.html");
    EXPECT_EQ(LinksOf(based)[1], "http://news.test/a");

    // A page read from a file has no address: relative links lead nowhere,
    // the headlines stay.
    const THeadlineReading file = Read(kThree, "");
    EXPECT_EQ(Texts(file), kThreeTexts);
    EXPECT_EQ(LinksOf(file), (Lines{"", "", ""}));
}

TEST(HeadlineReaderTest, DeclaredFeedsAreResolvedAndListedOnce) {
    const std::string page =
        "<head><link rel='Alternate' type='application/rss+xml' href='/rss.xml'>"
        "<link rel='alternate nofollow' type='APPLICATION/ATOM+XML; charset=utf-8' href=atom>"
        "<link rel=alternate type=application/rss+xml href='http://news.test/rss.xml'>"
        "<link rel=alternate type=text/html href=/fr/>"
        "<link rel=stylesheet type=application/rss+xml href=/no.xml>"
        "<link rel=alternate type=application/rss+xml href='javascript:x'></head>";
    const Lines expected{"http://news.test/rss.xml", "http://news.test/world/atom"};
    EXPECT_EQ(Read(page).feeds, expected);
    EXPECT_EQ(DeclaredFeeds(page, kPageUrl), expected);
}

// --- Text ------------------------------------------------------------------------------

TEST(HeadlineReaderTest, ReferencesAreDecodedAndWhiteSpaceCollapsed) {
    const THeadlineReading r = Read(
        "<title>Tom &amp; Jerry</title>"
        "<h2>I&#39;ve seen the &lt;noun&gt; &#9658; twice</h2>"
        "<h2>Caf&eacute;&nbsp;owners\tand\n\nthe&#x20;tax</h2>"
        "<h2>Big<br>News</h2>");
    EXPECT_EQ(r.title, "Tom & Jerry");
    EXPECT_EQ(Texts(r), (Lines{"I've seen the <noun> \u25BA twice", "Caf\u00e9 owners and the tax",
                               "Big News"}));
}

TEST(HeadlineReaderTest, UnclosedAndMisnestedTagsCloseAsABrowserClosesThem) {
    const THeadlineReading r = Read(
        "<ul><li><a href=/1>First item with no end tag</a>"
        "<li><b><a href=/2>Second item with a bold start</a>"
        "<li><a href=/3>Third item after unclosed bold</a></ul>"
        // The paragraph ends at the list, so the list's link is not prose.
        "<p>Words words words words words words words words words"
        "<ul><li><a href=/4>Fourth item after a paragraph</a></ul>"
        "<div><span></div><h2>Heading after a stray span</h2>");
    EXPECT_EQ(Texts(r), (Lines{"First item with no end tag", "Second item with a bold start",
                               "Third item after unclosed bold", "Fourth item after a paragraph",
                               "Heading after a stray span"}));
}

// --- Too few headlines: the visible text ------------------------------------------------

TEST(HeadlineReaderTest, APageWithFewHeadlinesShowsItsVisibleText) {
    const THeadlineReading r = Read(
        "<html><head><title>Article</title><script>x = 1;</script></head><body>"
        "<h1>The one headline</h1><nav>Home | World</nav>"
        "<p>First   paragraph,\nwith <b>bold</b> words.</p><p>Second&nbsp;one.</p></body></html>");
    EXPECT_EQ(r.headlines.size(), 1u);
    EXPECT_EQ(r.visibleText, "The one headline First paragraph, with bold words. Second one.");
    const TTickerPage line = HeadlineTickerPage(r);
    EXPECT_EQ(line.text, " " + r.visibleText + "  ");
    EXPECT_TRUE(line.headlines.empty());

    // Nothing visible at all: the title; not even that: two blanks.
    EXPECT_EQ(HeadlineTickerPage(Read("<title>Only a title</title><script>x</script>")).text,
              " Only a title  ");
    EXPECT_EQ(HeadlineTickerPage(Read("")).text, "  ");
}

TEST(HeadlineReaderTest, VisibleTextStopsAtAWordNearFourThousandCharacters) {
    std::string body;
    for (int i = 0; i < 1000; ++i)
        body += "w\u00e9rd" + std::to_string(i % 10) + " ";  // 6 characters a word
    const THeadlineReading r = Read("<p>" + body + "</p>");
    const std::size_t chars = CharCount(r.visibleText);
    EXPECT_LE(chars, kMaxVisibleChars);
    EXPECT_GT(chars, kMaxVisibleChars - 10);
    // A whole word at the end: the page's text goes on with a blank there.
    EXPECT_EQ(body.compare(0, r.visibleText.size(), r.visibleText), 0);
    EXPECT_EQ(body[r.visibleText.size()], ' ');
}

// --- The line --------------------------------------------------------------------------

TEST(HeadlineReaderTest, TheLineIsTheTitleThenTheHeadlinesWithTheirCharacters) {
    const THeadlineReading r =
        Read("<title>Caf\u00e9 &amp; Co</title><h1>Opening day</h1>" + kThree);
    const TTickerPage line = HeadlineTickerPage(r);
    const std::string sep = kHeadlineSeparator;
    EXPECT_EQ(line.text, " Caf\u00e9 & Co" + sep + "Opening day" + sep + kThreeTexts[0] + sep +
                             kThreeTexts[1] + sep + kThreeTexts[2] + "  ");
    // The title leads to the page, the heading without a link nowhere, the
    // links where they point; positions count characters.
    ASSERT_EQ(line.headlines.size(), 4u);
    EXPECT_EQ(line.headlines[0].begin, 1u);
    EXPECT_EQ(line.headlines[0].end, 10u);
    EXPECT_EQ(line.headlines[0].link, kPageUrl);
    const std::size_t stormAt = CharCount(line.text.substr(0, line.text.find("Storm")));
    EXPECT_EQ(HeadlineAt(line.headlines, stormAt)->link, "http://news.test/a");
    const std::size_t openingAt = CharCount(line.text.substr(0, line.text.find("Opening")));
    EXPECT_EQ(HeadlineAt(line.headlines, openingAt), nullptr);
}

// --- The one entry ---------------------------------------------------------------------

TEST(PageReadingTest, ClassicGivesTheClassicConversionByteForByte) {
    const Lines pages{"<p>Hello<br>World</p>", "Tom &amp; Jerry", "<A HREF=x.htm>News</A>",
                      "<title>T</title><h1>Head</h1><script>if (a < b) {}</script>",
                      "x [abc] y &copy; &#151; &lt;"};
    for (const std::string& page : pages) {
        const TPageRead read =
            ReadReceivedPage(std::string(page), "text/html", kPageUrl, TPageReading::Classic);
        EXPECT_EQ(read.line.text, PageToTickerText(page)) << page;
        EXPECT_TRUE(read.classic);
        EXPECT_TRUE(read.line.headlines.empty());
    }
    EXPECT_EQ(PageReadingNamed("classic"), TPageReading::Classic);
    EXPECT_EQ(PageReadingNamed(""), TPageReading::Headlines);
    EXPECT_EQ(PageReadingNamed("Classical"), TPageReading::Headlines);
}

TEST(PageReadingTest, HeadlinesByDefaultFeedsAsFeedsAndDeclaredFeedsInBothReadings) {
    const std::string page =
        "<link rel=alternate type=application/atom+xml href=/feed><title>T</title>" + kThree;
    for (TPageReading reading : {TPageReading::Headlines, TPageReading::Classic}) {
        const TPageRead read = ReadReceivedPage(std::string(page), "text/html; charset=utf-8",
                                                "https://news.test/", reading);
        EXPECT_EQ(read.feeds, Lines{"https://news.test/feed"});
    }
    const TPageRead headlines = ReadReceivedPage(std::string(page), "text/html",
                                                 "https://news.test/", TPageReading::Headlines);
    EXPECT_FALSE(headlines.classic);
    EXPECT_EQ(headlines.line.headlines.size(), 4u);

    const std::string rss =
        "<rss version=\"2.0\"><channel><title>Salt &amp; Pepper</title><link>http://f.test/</link>"
        "<item><title>A &amp; B</title><link>http://f.test/1</link></item></channel></rss>";
    const TPageRead feed = ReadReceivedPage(std::string(rss), "application/rss+xml",
                                            "http://f.test/rss", TPageReading::Classic);
    EXPECT_FALSE(feed.classic) << "a feed is read as a feed whatever the reading";
    EXPECT_EQ(feed.line.text, " Salt & Pepper" + std::string(kHeadlineSeparator) + "A & B  ");
}

}  // namespace
}  // namespace zelvo::text
