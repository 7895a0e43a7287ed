// Throughput of the page-to-ticker conversion, decoding included, against the
// rescanning byte form it replaces, and of the HTML tokenizer beside them. The rescanning form is
// run on smaller pages where its cost (occurrences times length) would otherwise take minutes.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "support/ReferenceConversion.h"
#include "text/HtmlTokenizer.h"
#include "text/PageConversion.h"
#include "text/PageDecoding.h"
#include "text/PageReading.h"

namespace {

// A news page as sites serve it: indented markup, links, entities, comments,
// a script, CR LF line ends.
std::string OrdinaryPage(std::size_t size) {
    static const char* const kWords[] = {
        "market",   "shares", "rose",    "after", "the",    "report", "on",    "Monday",
        "council",  "votes",  "weather", "storm", "coast",  "league", "final", "score",
        "minister", "said",   "new",     "plan",  "prices", "of",     "oil",   "fell"};
    std::mt19937 rng(2026);
    auto word = [&] { return std::string(kWords[rng() % std::size(kWords)]); };
    auto sentence = [&] {
        std::string s = word();
        for (int n = 4 + static_cast<int>(rng() % 12); n > 0; --n)
            s += " " + word();
        return s;
    };
    std::string page =
        "<html>\r\n<head>\r\n<title>Daily News</title>\r\n"
        "<script language=\"JavaScript\">\r\n<!--\r\n  // menu rollover\r\n"
        "  function hi(n) { document.images[n].src = 'on.gif'; }\r\n// -->\r\n</script>\r\n"
        "</head>\r\n<body bgcolor=\"#FFFFFF\">\r\n";
    int story = 0;
    while (page.size() < size) {
        ++story;
        page += "<table width=\"100%\"><tr>\r\n\t<td valign=top><a href=\"/story/" +
                std::to_string(story) + ".htm\"><b>" + sentence() + "</b></a>&nbsp;|&nbsp;" +
                "<font size=2>" + word() + " &amp; " + word() + "</font><br>\r\n";
        page +=
            "\t<p>" + sentence() + ", &quot;" + sentence() + "&quot; " + sentence() + ".</p>\r\n";
        if (story % 5 == 0)
            page += "<!-- advertisement " + std::to_string(story) + " -->\r\n";
        if (story % 7 == 0)
            page += "\t<p>[" + word() + "] &copy; 1998 &#151; " + sentence() + "</p>\r\n";
        page += "</td></tr></table>\r\n";
    }
    page += "</body>\r\n</html>\r\n";
    return page;
}

std::string Repeat(const std::string& unit, std::size_t size) {
    std::string s;
    s.reserve(size + unit.size());
    while (s.size() < size)
        s += unit;
    return s;
}

template <typename Convert>
void Run(benchmark::State& state, const std::string& page, Convert convert) {
    for (auto _ : state) {
        std::string text = convert(page);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(page.size()));
}

std::string Forward(const std::string& page) {
    return zelvo::text::PageToTickerText(page);
}
// A page declared as Windows-1252 by its response, as older sites send them.
std::string ForwardCp1252(const std::string& page) {
    return zelvo::text::ConvertReceivedPage(std::string(page), "text/html", "windows-1252").text;
}

// The ordinary page with its words in other scripts, served as UTF-8.
std::string Utf8Page(std::size_t size) {
    std::string page = OrdinaryPage(size);
    std::string out;
    out.reserve(page.size() + page.size() / 4);
    for (std::size_t i = 0; i < page.size(); ++i) {
        out += page[i];
        if (page[i] == 'e' && i % 3 == 0)
            out += "\u00E9\u2014\u65E5";
    }
    return out;
}
std::string Rescanning(const std::string& page) {
    return zelvo::text::reference::PageToTickerText(page);
}

constexpr std::size_t KB = 1024;
constexpr std::size_t MB = 1024 * KB;

#define ZELVO_PAIR(name, page, referencePage)                    \
    void BM_Forward_##name(benchmark::State& state) {            \
        static const std::string p = page;                       \
        Run(state, p, Forward);                                  \
    }                                                            \
    BENCHMARK(BM_Forward_##name)->Unit(benchmark::kMillisecond); \
    void BM_Rescanning_##name(benchmark::State& state) {         \
        static const std::string p = referencePage;              \
        Run(state, p, Rescanning);                               \
    }                                                            \
    BENCHMARK(BM_Rescanning_##name)->Unit(benchmark::kMillisecond);

// Ordinary pages. Even these are quadratic for the rescanning form (every
// blank run, line break and entity rescans the text): it takes 100 KB whole,
// but a 5 MB page costs it about a minute, so it gets 512 KB there.
ZELVO_PAIR(Ordinary100KB, OrdinaryPage(100 * KB), OrdinaryPage(100 * KB))
ZELVO_PAIR(Ordinary5MB, OrdinaryPage(5 * MB), OrdinaryPage(512 * KB))
ZELVO_PAIR(OrdinaryUtf8_5MB, Utf8Page(5 * MB), Utf8Page(512 * KB))

void BM_Forward_OrdinaryCp1252_5MB(benchmark::State& state) {
    static const std::string p = [] {
        std::string page = OrdinaryPage(5 * MB);
        for (std::size_t i = 7; i < page.size(); i += 97)
            if (page[i] == 'e')
                page[i] = '\xE9';
        return page;
    }();
    Run(state, p, ForwardCp1252);
}
BENCHMARK(BM_Forward_OrdinaryCp1252_5MB)->Unit(benchmark::kMillisecond);
// Adversarial pages: 5 MB forward; the rescanning form gets 64 KB (256 KB for
// the comment opener), beyond which it runs for minutes.
ZELVO_PAIR(AllAmpersands, std::string(5 * MB, '&'), std::string(64 * KB, '&'))
// Blanks inside one text run (leading blanks would merely be skipped).
ZELVO_PAIR(AllBlanks, "x" + std::string(5 * MB, ' ') + "x", "x" + std::string(64 * KB, ' ') + "x")
ZELVO_PAIR(BracketPairs100000, Repeat("[]", 200000), Repeat("[]", 64 * KB))
ZELVO_PAIR(CommentOpenerNoCloser, "<!--" + Repeat("news <b>of</b> the &amp; day\r\n", 5 * MB),
           "<!--" + Repeat("news <b>of</b> the &amp; day\r\n", 256 * KB))
ZELVO_PAIR(EntitySoup, Repeat("&nb&nbsp;sp;&amp;amp;&#01|  \t", 5 * MB),
           Repeat("&nb&nbsp;sp;&amp;amp;&#01|  \t", 64 * KB))

// The headline reading, decoding included, on the same pages as the classic
// conversion above: the default for web pages.
std::string Headlines(const std::string& page) {
    return zelvo::text::ReadReceivedPage(std::string(page), "text/html", "http://news.test/",
                                         zelvo::text::TPageReading::Headlines)
        .line.text;
}
void BM_Headlines_Ordinary5MB(benchmark::State& state) {
    static const std::string p = OrdinaryPage(5 * MB);
    Run(state, p, Headlines);
}
BENCHMARK(BM_Headlines_Ordinary5MB)->Unit(benchmark::kMillisecond);
void BM_Headlines_OrdinaryUtf8_5MB(benchmark::State& state) {
    static const std::string p = Utf8Page(5 * MB);
    Run(state, p, Headlines);
}
BENCHMARK(BM_Headlines_OrdinaryUtf8_5MB)->Unit(benchmark::kMillisecond);
// Markup with no end tags at all: the open elements pile up to the end.
void BM_Headlines_Unclosed5MB(benchmark::State& state) {
    static const std::string p = Repeat("<div><span><a href=/x>four words in a link", 5 * MB);
    Run(state, p, Headlines);
}
BENCHMARK(BM_Headlines_Unclosed5MB)->Unit(benchmark::kMillisecond);

// The tokenizer alone: every token of the page, its characters, names and
// values looked at, nothing kept.
void Tokenize(benchmark::State& state, const std::string& page) {
    for (auto _ : state) {
        zelvo::text::THtmlTokenizer tokenizer(page);
        zelvo::text::THtmlToken token;
        std::size_t bytes = 0;
        while (tokenizer.Next(token)) {
            bytes += token.data.size();
            for (const auto& a : token.attributes)
                bytes += a.value.size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(page.size()));
}

#define ZELVO_TOKENIZE(name, page)                     \
    void BM_Tokenize_##name(benchmark::State& state) { \
        static const std::string p = page;             \
        Tokenize(state, p);                            \
    }                                                  \
    BENCHMARK(BM_Tokenize_##name)->Unit(benchmark::kMillisecond);

ZELVO_TOKENIZE(Ordinary5MB, OrdinaryPage(5 * MB))
ZELVO_TOKENIZE(OrdinaryUtf8_5MB, Utf8Page(5 * MB))
ZELVO_TOKENIZE(AllAmpersands, std::string(5 * MB, '&'))
ZELVO_TOKENIZE(CommentOpenerNoCloser, "<!--" + Repeat("news <b>of</b> the &amp; day\r\n", 5 * MB))
ZELVO_TOKENIZE(EntitySoup, Repeat("&nb&nbsp;sp;&amp;amp;&#01|  \t", 5 * MB))
ZELVO_TOKENIZE(TagSoup,
               Repeat("<a href='/x?a=1&copy=2' class=b data-x=\"{&quot;k&quot;:1}\">t</a>", 5 * MB))

// Decoding alone: a 5 MB page from its bytes to UTF-8, as the response
// gives it (the page's bytes are copied outside the timing, as DecodePage
// consumes them).
void Decode(benchmark::State& state, const std::string& page, std::string_view header) {
    for (auto _ : state) {
        state.PauseTiming();
        std::string bytes = page;
        state.ResumeTiming();
        zelvo::text::TDecodedPage decoded = zelvo::text::DecodePage(std::move(bytes), header);
        benchmark::DoNotOptimize(decoded);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(page.size()));
}

std::string Cp1252Page(std::size_t size) {
    std::string page = OrdinaryPage(size);
    for (std::size_t i = 7; i < page.size(); i += 97)
        if (page[i] == 'e')
            page[i] = '\xE9';
    return page;
}

// Japanese text in Shift_JIS between the ordinary markup.
std::string ShiftJisPage(std::size_t size) {
    std::string page = OrdinaryPage(size);
    std::string out;
    out.reserve(page.size() * 2);
    for (char c : page) {
        out += c;
        if (c == ' ')
            out += "\x93\xFA\x96\x7B\x8C\xEA";
    }
    return out;
}

#define ZELVO_DECODE(name, page, header)             \
    void BM_Decode_##name(benchmark::State& state) { \
        static const std::string p = page;           \
        Decode(state, p, header);                    \
    }                                                \
    BENCHMARK(BM_Decode_##name)->Unit(benchmark::kMillisecond)->UseRealTime();

ZELVO_DECODE(Utf8Declared5MB, Utf8Page(5 * MB), "utf-8")
ZELVO_DECODE(Utf8Undeclared5MB, Utf8Page(5 * MB), "")
ZELVO_DECODE(Cp1252Declared5MB, Cp1252Page(5 * MB), "windows-1252")
ZELVO_DECODE(Cp1252Undeclared5MB, Cp1252Page(5 * MB), "")
ZELVO_DECODE(ShiftJisDeclared5MB, ShiftJisPage(5 * MB), "shift_jis")

}  // namespace

BENCHMARK_MAIN();
