#include "text/FeedReader.h"

#include <gtest/gtest.h>

#include <string>

#include "text/FeedCharset.h"
#include "text/FeedProlog.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace {

using V = std::vector<std::string>;

std::vector<std::string> Titles(const TFeed& feed) {
    std::vector<std::string> titles;
    for (const auto& item : feed.items)
        titles.push_back(item.title);
    return titles;
}

std::vector<std::string> Links(const TFeed& feed) {
    std::vector<std::string> links;
    for (const auto& item : feed.items)
        links.push_back(item.link);
    return links;
}

std::string Rss(const std::string& items, const std::string& channel = "<title>T</title>") {
    return "<rss version=\"2.0\"><channel>" + channel + items + "</channel></rss>";
}

TFeed Read(std::string_view xml, std::string_view base = "http://127.0.0.1/feeds/main.xml") {
    auto feed = ReadFeed(xml, base);
    EXPECT_TRUE(feed) << xml.substr(0, 200);
    return feed.value_or(TFeed{});
}

// --- Letters: titles are cleaned on characters -------------------------------

TEST(FeedLettersTest, LettersWhoseEncodingHoldsA0AreKept) {
    // Each of these has the byte 0xA0 in its UTF-8 form, which is also the
    // last byte of the no-break space.
    const V letters = {"Voil\u00E0",   "\u0420\u0443\u0441",
                       "\u05E0\u05D5", "\u03A0\u03B9",
                       "\u0160koda",   "\u4F60\u597D",
                       "\u56E0",       "\u52A0",
                       "\u30E0\u30FC", "\u2020",
                       "a \u2260 b"};
    std::string items;
    for (const auto& l : letters)
        items += "<item><title>" + l + "</title></item>";
    EXPECT_EQ(Titles(Read(Rss(items))), letters);
    EXPECT_EQ(PlainTitle("direito \u00E0 vida", false), "direito \u00E0 vida");
    EXPECT_EQ(PlainTitle("direito \u00E0 vida", true), "direito \u00E0 vida");
}

TEST(FeedLettersTest, UnicodeSpacesCollapseAndControlsGo) {
    EXPECT_EQ(PlainTitle("a\u00A0\u00A0b\u3000c\u2009 d\te", false), "a b c d e");
    EXPECT_EQ(PlainTitle("\u00A0 x \u00A0", true), "x");
    EXPECT_EQ(PlainTitle("a\x01\x1F"
                         "b\u0085c\u009Fd",
                         false),
              "ab c"
              "d");
    EXPECT_EQ(PlainTitle("bad \xC3 byte \xFF", false), "bad \uFFFD byte \uFFFD");
}

// --- Bounds: hostile feeds cost little and give little -------------------------

TEST(FeedBoundsTest, LongTitlesAreCutAtAWord) {
    std::string words;
    while (CharCount(words) < 1000)
        words += "\u00E9t\u00E9 long ";
    const std::string cut = CutHeadline(words);
    EXPECT_LE(CharCount(cut), kMaxHeadlineChars);
    EXPECT_GT(CharCount(cut), kMaxHeadlineChars / 2);
    EXPECT_TRUE(cut.ends_with("long\u2026") || cut.ends_with("\u00E9t\u00E9\u2026")) << cut;
    const std::string word(1000, 'x');
    EXPECT_EQ(CutHeadline(word), std::string(kMaxHeadlineChars - 1, 'x') + "\u2026");
    EXPECT_EQ(CutHeadline("short"), "short");
    const TFeed feed = Read(Rss("<item><title>" + words + "</title></item>"));
    EXPECT_LE(CharCount(feed.items.at(0).title), kMaxHeadlineChars);
}

TEST(FeedBoundsTest, AtMostTwoHundredItemsAndTheFeedTitleAfterThem) {
    std::string xml = "<feed xmlns=\"http://www.w3.org/2005/Atom\">";
    for (int i = 0; i < 500; ++i)
        xml += "<entry><title>E" + std::to_string(i) + "</title></entry>";
    xml += "<title>Late title</title></feed>";
    const TFeed feed = Read(xml);
    EXPECT_EQ(feed.items.size(), kMaxFeedItems);
    EXPECT_EQ(feed.items.back().title, "E199");
    EXPECT_EQ(feed.title, "Late title") << "reading goes on to the end";
}

TEST(FeedBoundsTest, TagsAndReferencesWithoutEndAreLinear) {
    // Every "<a" or "&" whose end never comes must not make the reader look
    // to the end of the title again.
    std::string soup;
    for (int i = 0; i < 200000; ++i)
        soup += "&lt;a&amp;";
    const TFeed feed = Read(Rss("<item><title>" + soup + "</title></item>"));
    ASSERT_EQ(feed.items.size(), 1u);
    EXPECT_TRUE(feed.items[0].title.starts_with("<a&<a&")) << "no tag: the signs are text";
    EXPECT_LE(CharCount(feed.items[0].title), kMaxHeadlineChars);
    std::string items;
    for (int i = 0; i < 20000; ++i)
        items += "<item><title>&lt;b x=\"&gt;\" " + std::to_string(i) + "</title></item>";
    EXPECT_LE(Read(Rss(items)).items.size(), kMaxFeedItems);
}

TEST(FeedBoundsTest, EntityExpansionIsBounded) {
    // One entity of 4,000 characters named 100,000 times.
    const std::string value(4000, 'x');
    std::string xml = "<!DOCTYPE rss [<!ENTITY big \"" + value + "\">]><rss><channel>";
    for (int i = 0; i < 1000; ++i) {
        xml += "<item><title>";
        for (int k = 0; k < 100; ++k)
            xml += "&big;";
        xml += "</title></item>";
    }
    xml += "</channel></rss>";
    const TFeed feed = Read(xml);
    std::size_t total = 0;
    for (const auto& item : feed.items)
        total += item.title.size();
    EXPECT_LE(total, 4 * kMaxHeadlineChars * kMaxFeedItems);

    // Entities that each name the one before ten times, and one that names
    // itself.
    std::string laughs = "<!DOCTYPE rss [<!ENTITY l0 \"ha\">";
    for (int i = 1; i < 12; ++i) {
        laughs += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k)
            laughs += "&l" + std::to_string(i - 1) + ";";
        laughs += "\">";
    }
    laughs += "<!ENTITY self \"a&self;b\">]>";
    laughs += Rss("<item><title>&l11;</title></item><item><title>&self;</title></item>");
    const std::string bomb = ExpandDeclaredEntities("&l11;&self;", {{"l0", "ha"}}, 1000);
    EXPECT_EQ(bomb, "&l11;&self;") << "undeclared names stay";
    // The budget is spent long before the eleventh level: it expands to
    // nothing, and the circular reference to nothing within itself.
    EXPECT_EQ(Titles(Read(laughs)), (V{"ab"}));
}

TEST(FeedBoundsTest, DeepNestingAndStrayEndTags) {
    std::string deep = "<rss><channel><item><title>Deep</title>";
    for (int i = 0; i < 100000; ++i)
        deep += "<x>";
    for (int i = 0; i < 100000; ++i)
        deep += "</y>";
    deep += "</item><item><title>After</title></item></channel></rss>";
    EXPECT_EQ(Titles(Read(deep)), (V{"Deep", "After"}));
}

// --- References ------------------------------------------------------------------

TEST(FeedReferencesTest, EscapedTitlesDecodeEveryReference) {
    const TFeed feed =
        Read(Rss("<item><title>&amp;uuml;ber &amp;#x263A; &amp;#9731;</title></item>"
                 "<item><title>&lt;a title=\"1 &gt; 0\"&gt;Linked&lt;/a&gt; text</title></item>"
                 "<item><title><![CDATA[Fish &amp; <b>Chips</b>]]></title></item>"));
    EXPECT_EQ(Titles(feed), (V{"\u00FCber \u263A \u2603", "Linked text", "Fish & Chips"}));
}

TEST(FeedReferencesTest, ALessThanSignIsNotATag) {
    EXPECT_EQ(Titles(Read(Rss("<item><title>a&lt;b and 1 &lt; 2</title></item>"
                              "<item><title>&lt;p&gt;x &amp;lt;y&lt;/p&gt;</title></item>"))),
              (V{"a<b and 1 < 2", "x <y"}));
}

TEST(FeedReferencesTest, UndefinedEntitiesReadAsHtmlReferences) {
    const TFeed feed = Read(
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS 0.91//EN\"\n"
        " \"http://my.netscape.com/publish/formats/rss-0.91.dtd\">\n"
        "<rss version=\"0.91\"><channel><title>Caf&eacute; &uuml;ber</title>"
        "<item><title>&eacute;t&eacute;</title></item></channel></rss>");
    EXPECT_EQ(feed.title, "Caf\u00E9 \u00FCber");
    EXPECT_EQ(Titles(feed), (V{"\u00E9t\u00E9"}));
}

TEST(FeedReferencesTest, InternalEntitiesAreExpanded) {
    const TFeed feed = Read(
        "<!DOCTYPE rss [\n  <!-- a comment ] with > signs -->\n"
        "  <!ENTITY who \"Zelvo &amp; friends\">\n  <!ENTITY % param \"ignored\">\n"
        "  <!ENTITY greeting 'Hello, &who;'>\n  <!ENTITY who \"not the first\">\n]>"
        "<rss><channel><title>&greeting;</title></channel></rss>");
    EXPECT_EQ(feed.title, "Hello, Zelvo & friends");
}

// --- Links -----------------------------------------------------------------------

TEST(FeedLinksTest, XmlBaseAtEveryLevelElseTheFeedAddress) {
    const TFeed feed = Read(
        "<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:base=\"http://127.0.0.1/blog/\">"
        "<link href=\"index.html\"/>"
        "<entry><title>Plain</title><link href=\"posts/1\"/></entry>"
        "<entry xml:base=\"2026/\"><title>Entry base</title><link href=\"two\"/></entry>"
        "<entry xml:base=\"/a/\"><title>Nested</title>"
        "<link xml:base=\"b/\" href=\"c\"/></entry>"
        "<entry><title>Absolute</title><link href=\"https://127.0.0.2/x\"/></entry>"
        "</feed>");
    EXPECT_EQ(feed.link, "http://127.0.0.1/blog/index.html");
    EXPECT_EQ(Links(feed), (V{"http://127.0.0.1/blog/posts/1", "http://127.0.0.1/blog/2026/two",
                              "http://127.0.0.1/a/b/c", "https://127.0.0.2/x"}));
    const TFeed rss = Read(Rss("<item><title>R</title><link>/releases/tag/v3.9.0</link></item>"));
    EXPECT_EQ(Links(rss), (V{"http://127.0.0.1/releases/tag/v3.9.0"}));
    const TFeed noBase =
        ReadFeed(Rss("<item><title>R</title><link>/releases/tag/v3.9.0</link></item>"), "")
            .value_or(TFeed{});
    EXPECT_EQ(Links(noBase), (V{""})) << "a link that stays relative opens nothing";
}

TEST(FeedLinksTest, WhichLinkAnItemOpens) {
    const TFeed atom = Read(
        "<feed xmlns=\"http://www.w3.org/2005/Atom\">"
        "<entry><title>Iana</title><link rel=\"self\" href=\"/self\"/>"
        "<link rel=\"http://www.iana.org/assignments/relation/alternate\" href=\"/iana\"/></entry>"
        "<entry><title>No rel</title><link rel=\"enclosure\" href=\"/e\"/>"
        "<link href=\"/first\"/><link href=\"/second\"/></entry>"
        "<entry><title>Alternate wins</title><link href=\"/norel\"/>"
        "<link rel=\"alternate\" href=\"/alt\"/></entry>"
        "<entry><title>Text</title><link>/as-text</link></entry>"
        "</feed>");
    EXPECT_EQ(Links(atom), (V{"http://127.0.0.1/iana", "http://127.0.0.1/first",
                              "http://127.0.0.1/alt", "http://127.0.0.1/as-text"}));
    const TFeed rss = Read(Rss(
        "<item><title>Link first</title><guid>http://127.0.0.1/g</guid><link>/l</link></item>"
        "<item><title>Permalink</title><guid isPermaLink=\"true\">http://127.0.0.1/p</guid></item>"
        "<item><title>Not a permalink</title><guid isPermaLink=\"false\">http://127.0.0.1/n</guid>"
        "</item>"
        "<item><title>Number</title><guid>12345</guid></item>"
        "<item><title>Relative permalink</title><guid isPermaLink=\"true\">/p/7</guid></item>"
        "<item><title>Unsafe</title><link>file:///etc/passwd</link></item>"
        "<item><title>Script</title><link>javascript:alert(1)</link>"
        "<guid>https://127.0.0.1/safe</guid></item>"));
    EXPECT_EQ(Links(rss), (V{"http://127.0.0.1/l", "http://127.0.0.1/p", "", "",
                             "http://127.0.0.1/p/7", "", "https://127.0.0.1/safe"}));
}

// --- Liberal reading ---------------------------------------------------------------

TEST(FeedLiberalTest, WhatMayStandBeforeTheRoot) {
    const std::string rss = Rss("<item><title>A</title></item>");
    EXPECT_TRUE(HasFeedRoot("\n\n<?xml version=\"1.0\"?>" + rss));
    EXPECT_TRUE(HasFeedRoot("\xEF\xBB\xBF\r\n<?xml version=\"1.0\"?>" + rss));
    EXPECT_TRUE(HasFeedRoot("<!--" + std::string(100000, '-') + "-->" + rss));
    EXPECT_TRUE(HasFeedRoot("<!DOCTYPE rss [" + std::string(20000, ' ') + "]>" + rss));
    EXPECT_TRUE(HasFeedRoot("<?xml-stylesheet href=\"a.xsl\"?><rdf:RDF xmlns:rdf=\"x\">"));
    EXPECT_TRUE(HasFeedRoot("<feed>"));
    EXPECT_FALSE(HasFeedRoot("<!DOCTYPE html><html><body><rss>"));
    EXPECT_FALSE(HasFeedRoot("text <rss>"));
    EXPECT_FALSE(HasFeedRoot("<?xml version=\"1.0\"?><!-- never closed <rss>"));
    EXPECT_EQ(Titles(Read("\n\n\xEF\xBB\xBF<?xml version=\"1.0\"?>" + rss)), (V{"A"}));
}

TEST(FeedLiberalTest, TagSoupStillGivesItsHeadlines) {
    const TFeed feed = Read(
        "<rss><channel><title>Soup</title>"
        "<item><title>Missing end<link>http://127.0.0.1/1</link></item>"
        "<item><title>Misnested <b>bold</title></b><link>http://127.0.0.1/2</link></item>"
        "<item><title>No item end</title>"
        "<item><foo:title>Unbound prefix</foo:title><title>Unbound ok</title>"
        "<dc:creator>x</dc:creator></item>"
        "<item><title>Undefined &bogus; entity &amp co</title></item>"
        "</channel></rss>\n<item><title>After the root</title></item><!-- trailer -->");
    EXPECT_EQ(feed.title, "Soup");
    EXPECT_EQ(Titles(feed), (V{"Missing end", "Misnested bold", "No item end", "Unbound ok",
                               "Undefined &bogus; entity & co", "After the root"}));
    EXPECT_EQ(feed.items[0].link, "http://127.0.0.1/1");
    EXPECT_EQ(feed.items[1].link, "http://127.0.0.1/2");
    const TFeed unclosed = Read("<rss><channel><item><title>Cut off");
    EXPECT_EQ(Titles(unclosed), (V{"Cut off"}));
}

TEST(FeedLiberalTest, OnlyAFeedIsAFeed) {
    EXPECT_FALSE(ReadFeed("<html><body>news</body></html>"));
    EXPECT_FALSE(ReadFeed(""));
    EXPECT_FALSE(ReadFeed("plain text"));
    EXPECT_TRUE(ReadFeed("<rss><channel>"));
    EXPECT_TRUE(IsFeedMediaType("application/atom+xml; charset=utf-8"));
    EXPECT_TRUE(IsFeedMediaType("Application/RSS+XML"));
    EXPECT_FALSE(IsFeedMediaType("text/html"));
    EXPECT_FALSE(IsFeedMediaType("text/xml"));
}

// --- Formats -----------------------------------------------------------------------

TEST(FeedFormatsTest, RssTitlesAndTheChannel) {
    const TFeed feed = Read(
        "<rss version=\"2.0\" xmlns:media=\"http://search.yahoo.com/mrss/\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><channel>\n"
        "<title>  The\n  Daily  </title><link>http://127.0.0.1/</link>\n"
        "<image><title>logo</title><link>http://127.0.0.1/logo</link></image>\n"
        "<item><title>Fish &amp; Chips &#8212; &lt;b&gt;hot&lt;/b&gt;</title>"
        "<media:title>not this</media:title><link>http://127.0.0.1/a</link></item>\n"
        "<item><dc:title>Only Dublin Core</dc:title></item>\n"
        "<item><description>no title</description></item>\n"
        "</channel></rss>");
    EXPECT_EQ(feed.title, "The Daily");
    EXPECT_EQ(feed.link, "http://127.0.0.1/");
    EXPECT_EQ(Titles(feed), (V{"Fish & Chips \u2014 hot", "Only Dublin Core"}));
}

TEST(FeedFormatsTest, Rss1AndRss090) {
    const TFeed feed = Read(
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
        "xmlns=\"http://purl.org/rss/1.0/\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
        "<channel rdf:about=\"http://127.0.0.1/\"><title>RDF news</title>"
        "<link>http://127.0.0.1/</link></channel>"
        "<item rdf:about=\"http://127.0.0.1/one\"><title>One</title><dc:title>x</dc:title></item>"
        "<item rdf:about=\"http://127.0.0.1/x\"><title>Two</title>"
        "<link>http://127.0.0.1/two</link></item>"
        "</rdf:RDF>");
    EXPECT_EQ(feed.title, "RDF news");
    EXPECT_EQ(Titles(feed), (V{"One", "Two"}));
    EXPECT_EQ(Links(feed), (V{"http://127.0.0.1/one", "http://127.0.0.1/two"}));
    const TFeed old = Read(
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
        "xmlns=\"http://my.netscape.com/rdf/simple/0.9/\"><channel><title>Old</title></channel>"
        "<item><title>Ninety</title><link>http://127.0.0.1/90</link></item></rdf:RDF>");
    EXPECT_EQ(Titles(old), (V{"Ninety"}));
}

TEST(FeedFormatsTest, AtomTextTypes) {
    const TFeed feed = Read(
        "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title type=\"text\">A &amp;lt; B</title>"
        "<entry><title type=\"html\">&lt;em&gt;Big&lt;/em&gt; &amp;amp; bold</title></entry>"
        "<entry><title type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\">"
        "Plain <b>and</b>\n strong</div></title></entry>"
        "<entry><title type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\">"
        "Line<br/>break<p>and</p>para<i>graph</i></div></title></entry>"
        "<entry><title>1 &lt; 2</title><source><title>Not this</title></source></entry>"
        "</feed>");
    EXPECT_EQ(feed.title, "A &lt; B") << "plain text keeps what it says";
    EXPECT_EQ(Titles(feed),
              (V{"Big & bold", "Plain and strong", "Line break and paragraph", "1 < 2"}));
}

TEST(FeedFormatsTest, Atom03AndAtomWithoutNamespace) {
    const TFeed old = Read(
        "<feed version=\"0.3\" xmlns=\"http://purl.org/atom/ns#\"><title>Old Atom</title>"
        "<link rel=\"alternate\" type=\"text/html\" href=\"http://127.0.0.1/\"/>"
        "<entry><title type=\"text/html\" mode=\"escaped\">&lt;b&gt;Escaped&lt;/b&gt; "
        "&amp;amp;</title><link rel=\"alternate\" href=\"/e\"/></entry>"
        "<entry><title type=\"text/plain\" mode=\"base64\">QmFzZSDDqSA2NA==</title></entry>"
        "<entry><title type=\"text/html\" mode=\"base64\">PGk+SHRtbDwvaT4gNjQ=</title></entry>"
        "<entry><title>Default</title></entry>"
        "</feed>");
    EXPECT_EQ(old.title, "Old Atom");
    EXPECT_EQ(old.link, "http://127.0.0.1/");
    EXPECT_EQ(Titles(old), (V{"Escaped &", "Base \u00E9 64", "Html 64", "Default"}));
    EXPECT_EQ(old.items[0].link, "http://127.0.0.1/e");
    const TFeed bare = Read(
        "<feed><title>Bare</title><entry><title>No namespace</title>"
        "<link href=\"http://127.0.0.1/n\"/></entry></feed>");
    EXPECT_EQ(Titles(bare), (V{"No namespace"}));
    EXPECT_EQ(Links(bare), (V{"http://127.0.0.1/n"}));
}

// --- Charsets ---------------------------------------------------------------------

TEST(FeedCharsetTest, UndeclaredFeedsAreUtf8EvenWithABadByte) {
    const std::string bytes =
        "<rss><channel><title>Caf\xC3\xA9 \xE9t\xC3\xA9</title></channel></rss>";
    const TDecodedFeed decoded = DecodeFeed(bytes);
    EXPECT_EQ(decoded.charset, "UTF-8");
    EXPECT_EQ(Read(decoded.text).title, "Caf\u00E9 \uFFFDt\u00E9");
}

TEST(FeedCharsetTest, DeclarationsMarksAndWideUnits) {
    const std::string latin =
        "<?xml version='1.0' encoding='ISO-8859-1'?><rss><channel>"
        "<title>Caf\xE9</title></channel></rss>";
    EXPECT_EQ(Read(DecodeFeed(latin).text).title, "Caf\u00E9");
    EXPECT_EQ(Read(DecodeFeed(latin, "utf-8").text).title, "Caf\uFFFD") << "the header wins";
    const std::string marked = "\xEF\xBB\xBF<rss><channel><title>\xC3\xA9</title></channel></rss>";
    EXPECT_EQ(Read(DecodeFeed(marked, "windows-1252").text).title, "\u00E9") << "the mark wins";

    auto wide = [](std::string_view ascii, bool little, bool mark) {
        std::string out = mark ? (little ? "\xFF\xFE" : "\xFE\xFF") : "";
        for (char c : ascii) {
            out += little ? c : '\0';
            out += little ? '\0' : c;
        }
        return out;
    };
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?><rss><channel>"
        "<title>Wide</title></channel></rss>";
    for (const bool little : {true, false}) {
        for (const bool mark : {true, false}) {
            const std::string bytes = wide(xml, little, mark);
            EXPECT_TRUE(LooksLikeFeed(bytes)) << little << mark;
            EXPECT_EQ(Read(DecodeFeed(bytes).text).title, "Wide") << little << mark;
        }
    }
    const std::string comment = "<!--" + std::string(40000, '-') + "-->";
    EXPECT_TRUE(LooksLikeFeed(wide(comment + xml, true, false))) << "beyond the first slice";
    EXPECT_FALSE(LooksLikeFeed(wide(comment + "<html>", false, true)));
    const std::string lying =
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?><rss><channel>"
        "<title>\xC3\xA9</title></channel></rss>";
    EXPECT_EQ(Read(DecodeFeed(lying).text).title, "\u00E9") << "eight-bit bytes are not UTF-16";
    EXPECT_FALSE(LooksLikeFeed(wide("<html>", true, false)));
}

}  // namespace
}  // namespace zelvo::text
