// zelvo-page given an address fetches it exactly as the ticker does.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/LoopbackServer.h"
#include "text/PageConversion.h"

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
};

// stderr joins stdout when asked, for the messages.
ToolRun RunTool(const std::string& arguments, bool withErrors = false) {
    const char* bin = std::getenv("ZELVO_BINARY_DIR");
    ToolRun run;
    if (bin == nullptr)
        return run;
    std::string command = std::string(bin) + "/tools/zelvo-page " + arguments +
                          (withErrors ? " 2>&1" : " 2>/dev/null");
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace

TEST(ZelvoPageFetch, WritesTheTickerTextOfTheFetchedPage) {
    if (std::getenv("ZELVO_BINARY_DIR") == nullptr)
        GTEST_SKIP() << "run through ctest";
    const std::string body =
        "<html><body><h1>Head</h1><p>Line &amp; more&nbsp;text</p></body></html>";
    zelvo::testing::LoopbackServer server([&](zelvo::testing::LoopbackServer::Conn& c) {
        c.ReadRequest();
        c.Write("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + body);
    });
    ToolRun run = RunTool("http://127.0.0.1:" + server.PortText() + "/page.html");
    EXPECT_EQ(run.exitCode, 0);
    // One headline is too few: the page's visible text.
    EXPECT_EQ(run.out, " Head Line & more text  ");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].rfind("GET /page.html HTTP/1.0\r\n", 0), 0u);
    run = RunTool("--classic http://127.0.0.1:" + server.PortText() + "/page.html");
    EXPECT_EQ(run.out, zelvo::text::PageToTickerText(body));
}

TEST(ZelvoPageFetch, LinksAreResolvedAgainstTheAddressAfterRelocation) {
    if (std::getenv("ZELVO_BINARY_DIR") == nullptr)
        GTEST_SKIP() << "run through ctest";
    const std::string body =
        "<link rel=alternate type=application/atom+xml href=atom.xml>"
        "<a href=one.html>Storm closes the coastal road</a>"
        "<a href=/two.html>Council votes on the new budget</a>"
        "<a href=three.html>League final ends in a draw</a>";
    zelvo::testing::LoopbackServer server([&](zelvo::testing::LoopbackServer::Conn& c) {
        const std::string request = c.ReadRequest();
        if (request.rfind("GET /old", 0) == 0)
            c.Write("HTTP/1.0 301 Moved\r\nLocation: /news/today.html\r\n\r\n");
        else
            c.Write("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + body);
    });
    const std::string site = "http://127.0.0.1:" + server.PortText();
    ToolRun run = RunTool("--links " + site + "/old.html", true);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "feed: " + site + "/news/atom.xml\n" + "Storm closes the coastal road\t" +
                           site + "/news/one.html\n" + "Council votes on the new budget\t" + site +
                           "/two.html\n" + "League final ends in a draw\t" + site +
                           "/news/three.html\n");
}

TEST(ZelvoPageFetch, GoesThroughAProxyWithAuthorization) {
    if (std::getenv("ZELVO_BINARY_DIR") == nullptr)
        GTEST_SKIP() << "run through ctest";
    zelvo::testing::LoopbackServer proxy([](zelvo::testing::LoopbackServer::Conn& c) {
        c.ReadRequest();
        c.Write("HTTP/1.0 200 OK\r\n\r\n<p>via proxy</p>");
    });
    ToolRun run = RunTool("--proxy 127.0.0.1:" + proxy.PortText() +
                          " --user me --password secret http://news.example/a.html");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, " via proxy  ");
    ASSERT_EQ(proxy.Requests().size(), 1u);
    const std::string request = proxy.Requests()[0];
    EXPECT_EQ(request.rfind("GET http://news.example/a.html HTTP/1.0\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("Authorization: Basic bWU6c2VjcmV0\r\n"), std::string::npos) << request;
}

TEST(ZelvoPageFetch, APageThatCannotBeFetchedExitsWithOne) {
    if (std::getenv("ZELVO_BINARY_DIR") == nullptr)
        GTEST_SKIP() << "run through ctest";
    zelvo::testing::LoopbackServer server([](zelvo::testing::LoopbackServer::Conn& c) {
        c.ReadRequest();
        c.Write("HTTP/1.0 404 Not Found\r\n\r\ngone");
    });
    EXPECT_EQ(RunTool("http://127.0.0.1:" + server.PortText() + "/").exitCode, 1);
    EXPECT_EQ(RunTool("http://127.0.0.1:" +
                      std::to_string(zelvo::testing::LoopbackServer::ClosedPort()) + "/")
                  .exitCode,
              1);
    EXPECT_EQ(RunTool("--log").exitCode, 2);
}

TEST(ZelvoPageFetch, TheFragmentStaysOffTheWireAndTheProxyPortIsUsed) {
    if (std::getenv("ZELVO_BINARY_DIR") == nullptr)
        GTEST_SKIP() << "run through ctest";
    zelvo::testing::LoopbackServer proxy([](zelvo::testing::LoopbackServer::Conn& c) {
        c.ReadRequest();
        c.Write("HTTP/1.0 200 OK\r\n\r\n<p>here</p>");
    });
    ToolRun run = RunTool("--proxy 127.0.0.1 --proxy-port " + proxy.PortText() +
                          " 'http://news.example/a.html#part two'");
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0].rfind("GET http://news.example/a.html HTTP/1.0\r\n", 0), 0u)
        << proxy.Requests()[0];
    EXPECT_EQ(RunTool("--proxy-port 8080 http://127.0.0.1/").exitCode, 2);
    EXPECT_EQ(RunTool("--proxy 127.0.0.1 --proxy-port none http://127.0.0.1/").exitCode, 2);
}

TEST(ZelvoPageFetch, AFailedFetchGivesTheTickersMessage) {
    if (std::getenv("ZELVO_BINARY_DIR") == nullptr)
        GTEST_SKIP() << "run through ctest";
    zelvo::testing::LoopbackServer server([](zelvo::testing::LoopbackServer::Conn& c) {
        c.ReadRequest();
        c.Write("HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(75, 'a'));
    });
    ToolRun run = RunTool("http://127.0.0.1:" + server.PortText() + "/", true);
    EXPECT_EQ(run.exitCode, 1);
    const std::string message =
        "zelvo-page: Unable to retrieve URL, document incomplete: 75 of 1000 bytes.\n";
    ASSERT_GE(run.out.size(), message.size());
    EXPECT_EQ(run.out.substr(run.out.size() - message.size()), message) << run.out;
}

TEST(ZelvoPageFetch, HelpAndVersion) {
    if (std::getenv("ZELVO_BINARY_DIR") == nullptr)
        GTEST_SKIP() << "run through ctest";
    ToolRun help = RunTool("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: zelvo-page", 0), 0u);
    EXPECT_NE(help.out.find("--proxy-port PORT"), std::string::npos);
    ToolRun version = RunTool("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("zelvo-page ", 0), 0u);
    EXPECT_EQ(version.out.back(), '\n');
}

TEST(ZelvoPageFetch, TheLogOnStandardErrorHidesCredentialsAndControls) {
    if (std::getenv("ZELVO_BINARY_DIR") == nullptr)
        GTEST_SKIP() << "run through ctest";
    zelvo::testing::LoopbackServer server([](zelvo::testing::LoopbackServer::Conn& c) {
        c.ReadRequest();
        c.Write("HTTP/1.0 200 OK\r\nX-Title: \x1B]0;owned\x07\r\n\r\n<p>news</p>");
    });
    ToolRun run = RunTool(
        "--log --user alice --password s3cret http://127.0.0.1:" + server.PortText() + "/", true);
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("cmd> Authorization: Basic ********\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("YWxpY2U6czNjcmV0"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('\x1B'), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('\r'), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("hdr>X-Title: \uFFFD]0;owned\uFFFD\n"), std::string::npos) << run.out;

    zelvo::testing::LoopbackServer failing([](zelvo::testing::LoopbackServer::Conn& c) {
        c.ReadRequest();
        c.Write("HTTP/1.0 404 Not\x1B[2JFound\r\n\r\n");
    });
    run = RunTool("http://127.0.0.1:" + failing.PortText() + "/", true);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out.find('\x1B'), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\uFFFD[2JFound"), std::string::npos) << run.out;
}
