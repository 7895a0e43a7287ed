// Runs the built zelvo-page program and holds its output against the library.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/TickerScroller.h"
#include "config/LiveSettings.h"
#include "support/Files.h"
#include "support/PageGenerator.h"
#include "support/TempDir.h"
#include "text/PageConversion.h"

namespace zelvo::text {
namespace {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

using zelvo::testing::Slurp;
using zelvo::testing::WriteFile;

class ZelvoPageToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        // ctest names the build directory; run by hand, the test program sits
        // in <build>/tests/tools.
        const char* bin = std::getenv("ZELVO_BINARY_DIR");
        const std::filesystem::path build =
            bin != nullptr && bin[0] != '\0'
                ? std::filesystem::path(bin)
                : std::filesystem::read_symlink("/proc/self/exe").parent_path() / ".." / "..";
        tool_ = (build / "tools" / "zelvo-page").string();
        ASSERT_TRUE(std::filesystem::exists(tool_)) << tool_;
    }

    RunResult Run(const std::vector<std::string>& args) {
        std::string command = Quote(tool_);
        for (const auto& arg : args)
            command += " " + Quote(arg);
        command += " >" + Quote(dir_ / "out") + " 2>" + Quote(dir_ / "err");
        RunResult result;
        const int status = std::system(command.c_str());
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = Slurp(dir_ / "out");
        result.err = Slurp(dir_ / "err");
        return result;
    }

    std::string Page(const std::string& name, const std::string& content) {
        const std::string path = dir_ / name;
        WriteFile(path, content);
        return path;
    }

    testing::TempDir dir_;
    std::string tool_;
};

TEST_F(ZelvoPageToolTest, ClassicGivesTheClassicTickerTextByteForByte) {
    testing::PageGenerator gen(99);
    std::vector<std::string> pages = {"", "<p>Hello<br>World</p>", "Tom &amp; Jerry\r\n",
                                      std::string("a\0b", 3), "\xA6\x93\xFF\x80 high"};
    for (int i = 0; i < 6; ++i)
        pages.push_back(gen.Page(i == 5 ? 200000 : gen.Below(5000)));
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const auto result = Run({"--classic", "--file", Page("page.html", pages[i])});
        EXPECT_EQ(result.exitCode, 0) << i;
        EXPECT_EQ(result.err, "") << i;
        // Into a file the ticker's bytes go as they are, controls included.
        EXPECT_EQ(result.out, PageToTickerText(pages[i])) << "page " << i;
    }
}

TEST_F(ZelvoPageToolTest, CharsetsAndFeedsComeOutAsUtf8) {
    // Shift_JIS for two characters, undeclared: read as told.
    auto result =
        Run({"--file", Page("sjis.html", "<p>\x93\xfa\x96\x7b</p>"), "--charset", "Shift_JIS"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, " \u65E5\u672C  ");
    // Without the option the page's own declaration decides.
    result = Run({"--classic", "--file", Page("koi.html", "<meta charset=koi8-r>\xF2\xD5\xD3")});
    EXPECT_EQ(result.out, " \u0420\u0443\u0441  ");
    result = Run({"--file", Page("feed.xml",
                                 "<rss><channel><title>T</title><item><title>A &amp; B</title>"
                                 "</item><item><title>C</title></item></channel></rss>")});
    EXPECT_EQ(result.out,
              std::string(" T") + kHeadlineSeparator + "A & B" + kHeadlineSeparator + "C  ");
    result = Run({"--file", Page("x.html", "x"), "--charset", "no-such-charset"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("usage:"), std::string::npos) << result.err;
}

// A page can clear the screen, retitle the window or turn the line around
// if its controls reach the terminal.
bool CarriesControls(const std::string& out) {
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if ((c < 0x20 && c != '\n') || c == 0x7F)
            return true;
        if (c == 0xC2 && i + 1 < out.size() && (out[i + 1] & 0xE0) == 0x80)
            return true;
        if (out.compare(i, 3, "\u202E") == 0 || out.compare(i, 3, "\u2066") == 0)
            return true;
    }
    return false;
}

TEST_F(ZelvoPageToolTest, NoControlCharacterReachesTheTerminal) {
    const std::string hostile =
        "<p>a\x1B[2Jb\x07"
        "c\x08"
        "d\xC2\x9B"
        "6ne\u202E"
        "fgh</p>";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--charset", "utf-8"}, {"--frames", "40", "--charset", "utf-8"}}) {
        std::vector<std::string> all = args;
        all.insert(all.end(), {"--file", Page("hostile.html", hostile)});
        const auto result = Run(all);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        // The reading drops them, so even a file gets none.
        EXPECT_FALSE(CarriesControls(result.out)) << result.out;
        EXPECT_NE(result.out.find("fgh"), std::string::npos) << result.out;
    }
    // In a feed the controls go and the headlines stay as written.
    const auto result =
        Run({"--file", Page("feed.xml",
                            "<rss><channel><title>T&amp;#27;]0;owned&amp;#7;</title>"
                            "<item><title>\xD7\xA9\xD7\x9C\u202E"
                            "A&amp;#27;B</title></item>"
                            "<item><title>\u2066C\xC2\x85</title></item>"
                            "</channel></rss>")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_FALSE(CarriesControls(result.out)) << result.out;
    EXPECT_EQ(result.out, std::string(" T]0;owned") + kHeadlineSeparator +
                              "\xD7\xA9\xD7\x9C"
                              "AB" +
                              kHeadlineSeparator + "C  ");
}

TEST_F(ZelvoPageToolTest, FramesAreTheStripsCaptionsOneALine) {
    config::TLiveSettings saved = config::Live();
    for (int step : {2, 3}) {
        const std::string page = "<p>News of the day</p><a href=x>more</a> &amp; more";
        std::vector<std::string> args = {"--frames", "15", "--classic"};
        if (step != 2)
            args.insert(args.end(), {"--step", std::to_string(step)});
        args.insert(args.end(), {"--file", Page("news.html", page)});
        const auto result = Run(args);
        ASSERT_EQ(result.exitCode, 0) << result.err;

        class Collect : public app::TTickerView {
        public:
            void SetTickerCaption(const std::string& c) override { text += c + "\n"; }
            void SetApplicationTitle(const std::string&) override {}
            void SetCaptionTimerEnabled(bool) override {}
            void SetExplainTimerEnabled(bool) override {}
            void ProcessMessages() override {}
            std::string text;
        } view;
        config::Live().ScrollStep = step;
        app::TTickerScroller scroller(view);
        scroller.TickerText = PageToTickerText(page);
        for (int i = 0; i < 15; ++i)
            scroller.timerCaptionTimer();
        EXPECT_EQ(result.out, view.text) << "step " << step;
    }
    config::Live() = saved;
}

TEST_F(ZelvoPageToolTest, BlankPageStopsAfterOneFrame) {
    const auto result = Run({"--frames", "10", "--file", Page("empty.html", "<html></html>")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "        \n Zelvo\n");
}

TEST_F(ZelvoPageToolTest, MissingFileAndBadUsageExitWithTwo) {
    auto result = Run({"--file", dir_ / "no-such-page.html"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("no-such-page.html"), std::string::npos) << result.err;

    result = Run({"--file", dir_.Path()});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"--file"}, {"--frames", "x", "--file", "p"}, {"--bogus"}, {"--frames", "3"}}) {
        result = Run(args);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("usage:"), std::string::npos) << result.err;
    }
}

TEST_F(ZelvoPageToolTest, HeadlinesByDefaultWithTheirLinksAndTheDeclaredFeeds) {
    const std::string page =
        "<html><head><title>Salt &amp; Pepper</title><base href='http://news.test/world/'>"
        "<link rel=alternate type=application/rss+xml href=rss.xml></head><body>"
        "<nav><a href=/>Home of the daily news</a></nav>"
        "<h1><a href=one.html>Storm closes the coastal road</a></h1>"
        "<a href=/two.html>Council votes on the new budget</a>"
        "<h2>League final ends in a draw</h2></body></html>";
    const std::string path = Page("news.html", page);
    const std::string sep = kHeadlineSeparator;
    auto result = Run({"--file", path});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, " Salt & Pepper" + sep + "Storm closes the coastal road" + sep +
                              "Council votes on the new budget" + sep +
                              "League final ends in a draw  ");
    EXPECT_EQ(result.err, "feed: http://news.test/world/rss.xml\n");

    // The links a double-click opens: the heading without one has none.
    result = Run({"--links", "--file", path});
    EXPECT_EQ(result.out,
              "Storm closes the coastal road\thttp://news.test/world/one.html\n"
              "Council votes on the new budget\thttp://news.test/two.html\n");

    result = Run({"--classic", "--file", path});
    EXPECT_EQ(result.out, PageToTickerText(page));
    EXPECT_EQ(result.err, "feed: http://news.test/world/rss.xml\n");

    result = Run({"--links", "--frames", "3", "--file", path});
    EXPECT_EQ(result.exitCode, 2);
    const std::string help = Run({"--help"}).out;
    for (const char* option : {"--classic", "--links", "feed: URL"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

}  // namespace
}  // namespace zelvo::text
