// Launching other programs: what starts, and with exactly which arguments.
// Addresses come from the settings and the URL list, so they are treated as
// hostile text: never split, never an option, never a program to run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Shell.h"
#include "support/StandInPrograms.h"

namespace zelvo::platform {
namespace {

using Args = std::vector<std::string>;
using testing::StandInPrograms;

class ShellLaunch : public ::testing::Test {
protected:
    void SetUp() override {
        programs.Add("browser");
        programs.Add("viewer");
        programs.Add("xdg-open");
    }
    StandInPrograms programs;
};

TEST_F(ShellLaunch, TheBrowserGetsTheAddressAsOneArgumentAfterTheOptionsEnd) {
    EXPECT_GT(ShellBrowse("browser", "http://127.0.0.1:9/news.html"), 32);
    EXPECT_EQ(programs.Arguments("browser"), (Args{"--", "http://127.0.0.1:9/news.html"}));
}

TEST_F(ShellLaunch, AnAddressThatLooksLikeAnOptionStaysAnAddress) {
    EXPECT_GT(ShellBrowse("browser", "-e http://127.0.0.1:9/"), 32);
    EXPECT_EQ(programs.Arguments("browser"), (Args{"--", "-e%20http://127.0.0.1:9/"}));
}

TEST_F(ShellLaunch, AnOptionWithAValueStaysAnAddress) {
    EXPECT_GT(ShellBrowse("browser", "--some-option=http://127.0.0.1:9/"), 32);
    EXPECT_EQ(programs.Arguments("browser"), (Args{"--", "--some-option=http://127.0.0.1:9/"}));
}

TEST_F(ShellLaunch, BlanksAndControlCharactersArePercentEncoded) {
    EXPECT_GT(ShellBrowse("browser", "http://127.0.0.1:9/a b\tc\x7F\x01\xE9"), 32);
    EXPECT_EQ(programs.Arguments("browser"),
              (Args{"--", "http://127.0.0.1:9/a%20b%09c%7F%01\xC3\xA9"}));
}

TEST_F(ShellLaunch, AMissingBrowserFailsAndTheOpenerGetsOneTarget) {
    const std::string address = "http://127.0.0.1:9/news.html /etc/passwd";
    EXPECT_LE(ShellBrowse("no-such-browser", address), 32);
    EXPECT_GT(ShellOpenAddress(address), 32);
    EXPECT_EQ(programs.Arguments("xdg-open"), (Args{"http://127.0.0.1:9/news.html%20/etc/passwd"}));
}

TEST_F(ShellLaunch, AMissingWindowsBrowserOpensTheAddressWithTheDesktop) {
    EXPECT_GT(ShellBrowse("IExplore.exe", "https://127.0.0.1:9/x y"), 32);
    EXPECT_EQ(programs.Arguments("xdg-open"), (Args{"https://127.0.0.1:9/x%20y"}));
}

TEST_F(ShellLaunch, OnlyWebAndFileAddressesAreOpened) {
    // A program the address names, a bare path, an option: nothing starts.
    programs.Add("local-program");
    for (const std::string& address :
         std::vector<std::string>{"local-program", programs.Dir() / "local-program", "/etc/passwd",
                                  "-e http://127.0.0.1:9/", "javascript:alert(1)",
                                  "ftp://127.0.0.1/", " http://127.0.0.1:9/", ""}) {
        EXPECT_LE(ShellOpenAddress(address), 32) << address;
        EXPECT_LE(ShellBrowse("IExplore.exe", address), 32) << address;
    }
    // Launch something that is allowed, so that anything started before it
    // has had its chance to show up too.
    EXPECT_GT(ShellOpenAddress("FILE:///tmp/page.html"), 32);
    EXPECT_EQ(programs.Arguments("xdg-open"), (Args{"FILE:///tmp/page.html"}));
    EXPECT_FALSE(programs.Started("local-program"));
}

TEST_F(ShellLaunch, TheViewersQuotedPathStaysOneArgument) {
    const std::string path = programs.Dir() / "a folder/WebPage.txt";
    EXPECT_GT(ShellExecute("viewer", "\"" + path + "\""), 32);
    EXPECT_EQ(programs.Arguments("viewer"), (Args{path}));
}

TEST_F(ShellLaunch, AMissingWindowsViewerOpensThePathWithTheDesktop) {
    EXPECT_GT(ShellExecute("Notepad.exe", "\"/tmp/my files/WebURLs.txt\""), 32);
    EXPECT_EQ(programs.Arguments("xdg-open"), (Args{"/tmp/my files/WebURLs.txt"}));
}

TEST_F(ShellLaunch, AMissingProgramFailsAndStartsNothing) {
    EXPECT_LE(ShellExecute("no-such-viewer", "\"/tmp/WebPage.txt\""), 32);
    EXPECT_LE(ShellExecute("   ", "\"/tmp/WebPage.txt\""), 32);
    EXPECT_GT(ShellExecute("viewer", ""), 32);
    EXPECT_EQ(programs.Arguments("viewer"), Args{});
    EXPECT_FALSE(programs.Started("xdg-open"));
}

}  // namespace
}  // namespace zelvo::platform
