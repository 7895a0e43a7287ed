// What the html5lib cases leave out: the content model chosen by tag name,
// XML-like reading, positions, bad UTF-8, the reuse of token buffers, and
// inputs built to make a careless tokenizer slow.
#include <gtest/gtest.h>

#include <string>

#include "text/HtmlTokenizer.h"
#include "text/Utf8.h"

namespace {

using zelvo::text::DecodeCharacterReferences;
using zelvo::text::THtmlToken;
using zelvo::text::THtmlTokenizer;
using zelvo::text::TTokenizerOptions;
using zelvo::text::TTokenKind;

// The token stream as one line: <a k=v> start tags (/> when self-closing),
// </a> end tags, {text} comments, !name DOCTYPEs and the characters as they are.
std::string Render(std::string_view input, TTokenizerOptions options = {}) {
    THtmlTokenizer tokenizer(input, options);
    THtmlToken token;
    std::string out;
    while (tokenizer.Next(token)) {
        switch (token.kind) {
            case TTokenKind::Character:
                out += token.data;
                break;
            case TTokenKind::StartTag:
                out += "<" + token.data;
                for (const auto& a : token.attributes)
                    out += " " + a.name + "=" + a.value;
                out += token.selfClosing ? "/>" : ">";
                break;
            case TTokenKind::EndTag:
                out += "</" + token.data + ">";
                break;
            case TTokenKind::Comment:
                out += "{" + token.data + "}";
                break;
            case TTokenKind::Doctype:
                out += "!" + token.data;
                break;
            case TTokenKind::EndOfFile:
                out += "$";
                break;
        }
    }
    return out;
}

TEST(HtmlTokenizerTest, StartTagsChooseTheContentModelThatFollows) {
    EXPECT_EQ(Render("<title>a<b>&amp;</TITLE ><p>"), "<title>a<b>&</title><p>$");
    EXPECT_EQ(Render("<textarea><i>&lt;</textarea>"), "<textarea><i><</textarea>$");
    EXPECT_EQ(Render("<SCRIPT>if (a<b) x='</p>&amp;'</script><i>"),
              "<script>if (a<b) x='</p>&amp;'</script><i>$");
    EXPECT_EQ(Render("<style>p>a{}</style x><xmp><b></xmp>"),
              "<style>p>a{}</style><xmp><b></xmp>$");
    EXPECT_EQ(Render("<iframe><p></iframe><noembed><p></noembed><noframes><p></noframes>"),
              "<iframe><p></iframe><noembed><p></noembed><noframes><p></noframes>$");
    // A script's "<!--<script>" hides its end tag until "-->".
    EXPECT_EQ(Render("<script><!--<script></script>--></script>x"),
              "<script><!--<script></script>--></script>x$");
    EXPECT_EQ(Render("<plaintext></plaintext><b>"), "<plaintext></plaintext><b>$");
    // Only the name counts: a self-closing script still holds script data.
    EXPECT_EQ(Render("<script/><b></script>"), "<script/><b></script>$");

    TTokenizerOptions off;
    off.switchContentModels = false;
    EXPECT_EQ(Render("<script><b></script>", off), "<script><b></script>$");
    EXPECT_EQ(Render("<title>&amp;</title>", off), "<title>&</title>$");
}

TEST(HtmlTokenizerTest, XmlLikeReadingKeepsCaseAndReadsCdataAndInstructions) {
    TTokenizerOptions xml;
    xml.xmlLike = true;
    EXPECT_EQ(Render("<?xml version=\"1.0\"?><rss><Channel Attr='X'><title>"
                     "<![CDATA[<b>A & B</b>]]></title><link/></Channel>",
                     xml),
              "{xml version=\"1.0\"}<rss><Channel Attr=X><title><b>A & B</b></title><link/>"
              "</Channel>$");
    // A feed's title is no RCDATA, so CDATA inside it is read as such.
    EXPECT_EQ(Render("<title><![CDATA[x]]]></title>", xml), "<title>x]</title>$");
    EXPECT_EQ(Render("<?pi never closed", xml), "{pi never closed}$");
    // In HTML reading both are bogus comments, and names are lower-cased.
    EXPECT_EQ(Render("<?xml v?><A B=1><![CDATA[x]]>"), "{?xml v?}<a b=1>{[CDATA[x]]}$");
}

TEST(HtmlTokenizerTest, PositionCountsTheCallersBytes) {
    // CR LF counts two bytes, a bad byte one, though the tokenizer reads
    // them as one LF and one U+FFFD.
    const std::string input = "a\r\nb\xFF<br>c\r\n<p>";
    THtmlTokenizer tokenizer(input);
    THtmlToken token;
    ASSERT_TRUE(tokenizer.Next(token));
    EXPECT_EQ(token.data, "a\nb\xEF\xBF\xBD");
    ASSERT_TRUE(tokenizer.Next(token));
    EXPECT_EQ(token.data, "br");
    EXPECT_EQ(tokenizer.Position(), input.find('c'));
    ASSERT_TRUE(tokenizer.Next(token));
    EXPECT_EQ(token.data, "c\n");
    ASSERT_TRUE(tokenizer.Next(token));
    EXPECT_EQ(token.data, "p");
    EXPECT_EQ(tokenizer.Position(), input.size());
    ASSERT_TRUE(tokenizer.Next(token));
    EXPECT_EQ(token.kind, TTokenKind::EndOfFile);
    EXPECT_FALSE(tokenizer.Next(token));
    EXPECT_FALSE(tokenizer.Next(token));
    EXPECT_EQ(token.kind, TTokenKind::EndOfFile);
}

TEST(HtmlTokenizerTest, ATextHandedOverReadsAndCountsAsACopyWould) {
    // Line ends of every kind, at the edges too, beside characters past
    // ASCII and, last, bytes that are not UTF-8 (which cannot be mended
    // where they lie).
    const std::string inputs[] = {
        "\r\na\r\n\r\rb\n\r<p title='x\r\ny'>\xC3\xA9t\xC3\xA9\r",
        "\r",
        "plain <b>ascii</b> only",
        "\xE2\x82\xAC\r\n<br>\r\n" + std::string(100, 'x') + "\r\n\r\n",
        "a\r\nb\xFF<br>c\r\n<p>",
    };
    for (const std::string& input : inputs) {
        THtmlTokenizer copied(std::string_view{input});
        THtmlTokenizer handed{std::string(input)};
        THtmlToken a, b;
        for (;;) {
            const bool more = copied.Next(a);
            ASSERT_EQ(handed.Next(b), more) << input;
            if (!more)
                break;
            EXPECT_EQ(a.kind, b.kind);
            EXPECT_EQ(a.data, b.data);
            EXPECT_EQ(copied.Position(), handed.Position()) << input;
        }
    }
}

TEST(HtmlTokenizerTest, BadUtf8BecomesReplacementCharacters) {
    // Truncated sequences, a surrogate, an overlong form and a stray
    // continuation byte, in text, a name and a value.
    const std::string out =
        Render("\xE2\x82 \xED\xA0\x80 \xC0\xAF<a\x80 b='\xF0\x9F'>\xF0\x9F\x98\x80");
    EXPECT_TRUE(zelvo::text::IsValidUtf8(out));
    EXPECT_EQ(out,
              "\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD"
              "<a\xEF\xBF\xBD b=\xEF\xBF\xBD>\xF0\x9F\x98\x80$");
}

TEST(HtmlTokenizerTest, TokensReusedAcrossCallsCarryNothingOver) {
    THtmlTokenizer tokenizer("<a href=x Title=y><!DOCTYPE html PUBLIC \"p\" \"s\"><b>t</b>");
    THtmlToken token;
    ASSERT_TRUE(tokenizer.Next(token));
    ASSERT_NE(token.Attribute("href"), nullptr);
    EXPECT_EQ(*token.Attribute("href"), "x");
    EXPECT_EQ(*token.Attribute("title"), "y");
    EXPECT_EQ(token.Attribute("Title"), nullptr);
    ASSERT_TRUE(tokenizer.Next(token));
    EXPECT_EQ(token.kind, TTokenKind::Doctype);
    EXPECT_TRUE(token.attributes.empty());
    EXPECT_EQ(token.publicId, "p");
    EXPECT_EQ(token.systemId, "s");
    ASSERT_TRUE(tokenizer.Next(token));
    EXPECT_EQ(token.kind, TTokenKind::StartTag);
    EXPECT_EQ(token.data, "b");
    EXPECT_TRUE(token.attributes.empty());
    EXPECT_FALSE(token.hasPublicId);
    EXPECT_TRUE(token.publicId.empty());
    ASSERT_TRUE(tokenizer.Next(token));
    EXPECT_EQ(token.kind, TTokenKind::Character);
    EXPECT_EQ(token.data, "t");
}

TEST(HtmlTokenizerTest, DuplicateAttributesKeepTheFirstInSmallAndLargeTags) {
    EXPECT_EQ(Render("<a x=1 X=2 y x=3>"), "<a x=1 y=>$");
    std::string tag = "<a";
    std::string expected = "<a";
    for (int i = 0; i < 40; ++i) {
        tag += " k" + std::to_string(i) + "=" + std::to_string(i);
        expected += " k" + std::to_string(i) + "=" + std::to_string(i);
    }
    tag += " k3=dup k39=dup k40=new>";
    expected += " k40=new>$";
    EXPECT_EQ(Render(tag), expected);
}

TEST(HtmlTokenizerTest, ReferencesDecodeAsInTextOrInAttributes) {
    EXPECT_EQ(DecodeCharacterReferences("I&#39;ve &lt;noun&gt; &#9658; &notit; &amp"),
              "I've <noun> \u25BA \u00ACit; &");
    EXPECT_EQ(DecodeCharacterReferences("&#x80;&#150;&#x81;&#0;&#xD800;&#1114112;&#99999999999;"),
              "\u20AC\u2013\u0081\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(DecodeCharacterReferences("&#;&#x;&#xg&&;&unknown;&AMP"), "&#;&#x;&#xg&&;&unknown;&");
    // A legacy name before "=" or a letter stays as written in an attribute.
    EXPECT_EQ(DecodeCharacterReferences("?a=1&copy=2&notit&not;&amp", true),
              "?a=1&copy=2&notit\u00AC&");
    EXPECT_EQ(DecodeCharacterReferences("?a=1&copy=2", false), "?a=1\u00A9=2");
}

// Each of these would take minutes if some byte were looked at once per
// byte before it; the test only checks the result.
TEST(HtmlTokenizerTest, LongHostileInputsAreReadInOnePass) {
    constexpr std::size_t kLarge = 1 << 21;
    std::string sameAttribute = "<a";
    for (std::size_t i = 0; i < kLarge / 4; ++i)
        sameAttribute += " b";
    EXPECT_EQ(Render(sameAttribute + ">"), "<a b=>$");

    std::string manyAttributes = "<a";
    for (std::size_t i = 0; i < kLarge / 8; ++i)
        manyAttributes += " b" + std::to_string(i);
    manyAttributes += ">";
    THtmlTokenizer tokenizer(manyAttributes);
    THtmlToken token;
    ASSERT_TRUE(tokenizer.Next(token));
    EXPECT_EQ(token.attributes.size(), kLarge / 8);

    EXPECT_EQ(Render(std::string(kLarge, '&')), std::string(kLarge, '&') + "$");
    EXPECT_EQ(Render("<!--" + std::string(kLarge, '-')), "{" + std::string(kLarge - 2, '-') + "}$");
    std::string opens;
    for (std::size_t i = 0; i < kLarge / 2; ++i)
        opens += "<!";
    EXPECT_EQ(Render(opens), "{" + opens.substr(2) + "}$");
    EXPECT_EQ(Render("<script><!--<script>" + std::string(kLarge, '<')).size(),
              kLarge + std::string("<script><!--<script>$").size());
    EXPECT_EQ(Render("&" + std::string(kLarge, 'a')), "&" + std::string(kLarge, 'a') + "$");
}

}  // namespace
