#include "text/FeedReader.h"

#include <gtest/gtest.h>

#include <string>

namespace zelvo::text {
namespace {

std::vector<std::string> Titles(const TFeed& feed) {
    std::vector<std::string> titles;
    for (const auto& item : feed.items)
        titles.push_back(item.title);
    return titles;
}

using V = std::vector<std::string>;

TEST(FeedReaderTest, Rss2TitlesAndLinksInOrder) {
    const auto feed = ReadFeed(
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
        "<rss version=\"2.0\" xmlns:media=\"http://search.yahoo.com/mrss/\"><channel>\n"
        "<title>  The\n  Daily  </title><link>http://127.0.0.1/</link>\n"
        "<image><title>logo</title></image>\n"
        "<item><title>Fish &amp; Chips &#8212; &lt;b&gt;hot&lt;/b&gt;</title>"
        "<media:title>not this</media:title><link>http://127.0.0.1/a</link></item>\n"
        "<item><title><![CDATA[Caf\u00E9 <i>open</i> &amp; more]]></title>"
        "<guid>http://127.0.0.1/g</guid></item>\n"
        "<item><description>no title</description></item>\n"
        "</channel></rss>");
    ASSERT_TRUE(feed);
    EXPECT_EQ(feed->title, "The Daily");
    EXPECT_EQ(feed->link, "http://127.0.0.1/");
    EXPECT_EQ(Titles(*feed), (V{"Fish & Chips \u2014 hot", "Caf\u00E9 open & more", ""}));
    EXPECT_EQ(feed->items[0].link, "http://127.0.0.1/a");
    EXPECT_EQ(feed->items[1].link, "http://127.0.0.1/g") << "a permalink guid stands in";
}

TEST(FeedReaderTest, Rss1InRdf) {
    const auto feed = ReadFeed(
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
        "xmlns=\"http://purl.org/rss/1.0/\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
        "<channel rdf:about=\"http://127.0.0.1/\"><title>RDF news</title>"
        "<link>http://127.0.0.1/</link></channel>"
        "<item rdf:about=\"http://127.0.0.1/one\"><title>One</title><dc:title>x</dc:title></item>"
        "<item rdf:about=\"http://127.0.0.1/x\"><title>Two</title>"
        "<link>http://127.0.0.1/two</link></item>"
        "</rdf:RDF>");
    ASSERT_TRUE(feed);
    EXPECT_EQ(feed->title, "RDF news");
    EXPECT_EQ(Titles(*feed), (V{"One", "Two"}));
    EXPECT_EQ(feed->items[0].link, "http://127.0.0.1/one");
    EXPECT_EQ(feed->items[1].link, "http://127.0.0.1/two");
}

TEST(FeedReaderTest, AtomTextHtmlAndXhtmlTitles) {
    const auto feed = ReadFeed(
        "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title type=\"text\">A &amp;lt; B</title>"
        "<link rel=\"self\" href=\"http://127.0.0.1/feed\"/>"
        "<link href=\"http://127.0.0.1/\"/>"
        "<entry><title type=\"html\">&lt;em&gt;Big&lt;/em&gt; &amp;amp; bold</title>"
        "<link rel=\"enclosure\" href=\"http://127.0.0.1/e.mp3\"/>"
        "<link rel=\"alternate\" href=\"http://127.0.0.1/1\"/></entry>"
        "<entry><title type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\">"
        "Plain <b>and</b>\n strong</div></title><link href=\"http://127.0.0.1/2\"/></entry>"
        "</feed>");
    ASSERT_TRUE(feed);
    EXPECT_EQ(feed->title, "A &lt; B") << "plain text keeps what it says";
    EXPECT_EQ(feed->link, "http://127.0.0.1/");
    EXPECT_EQ(Titles(*feed), (V{"Big & bold", "Plain and strong"}));
    EXPECT_EQ(feed->items[0].link, "http://127.0.0.1/1");
    EXPECT_EQ(feed->items[1].link, "http://127.0.0.1/2");
}

TEST(FeedReaderTest, MalformedOrForeignDocumentsAreNoFeeds) {
    EXPECT_FALSE(ReadFeed("<rss><channel><title>x</channel></rss>"));
    EXPECT_FALSE(ReadFeed("<rss><channel><title>&nbsp;</title></channel></rss>"));
    EXPECT_FALSE(ReadFeed("<html><body>news</body></html>"));
    EXPECT_FALSE(ReadFeed(""));
    EXPECT_FALSE(ReadFeed("<rss><channel>"));
    EXPECT_TRUE(HasFeedRoot("<?xml version='1.0'?><!-- c --><rss version='2.0'>"));
    EXPECT_TRUE(HasFeedRoot("<feed xmlns='http://www.w3.org/2005/Atom'>"));
    EXPECT_FALSE(HasFeedRoot("<!DOCTYPE html><html>"));
    EXPECT_FALSE(HasFeedRoot("plain text"));
    EXPECT_TRUE(IsFeedMediaType("application/atom+xml; charset=utf-8"));
    EXPECT_FALSE(IsFeedMediaType("text/html"));
}

TEST(FeedReaderTest, LargeFeedsAreReadAcrossSlices) {
    std::string xml = "<rss><channel><title>Big</title>";
    for (int i = 0; i < 3000; ++i)
        xml += "<item><title>\u65E5\u672C headline " + std::to_string(i) + "</title><description>" +
               std::string(40, 'x') + "</description></item>";
    xml += "</channel></rss>";
    const auto feed = ReadFeed(xml);
    ASSERT_TRUE(feed);
    ASSERT_EQ(feed->items.size(), 3000u);
    EXPECT_EQ(feed->items[2999].title, "\u65E5\u672C headline 2999");
}

TEST(FeedReaderTest, PlainTitleDropsTagsAndCollapsesSpace) {
    EXPECT_EQ(PlainTitle("  a\t\n b  ", false), "a b");
    EXPECT_EQ(PlainTitle("<p>x</p><p>y</p>", true), "x y");
    EXPECT_EQ(PlainTitle("1 < 2 &gt; 0 &#x41;&#66; &bogus;", true), "1 < 2 > 0 AB &bogus;");
    EXPECT_EQ(PlainTitle("a&nbsp;&nbsp;b", true), "a b");
}

}  // namespace
}  // namespace zelvo::text
