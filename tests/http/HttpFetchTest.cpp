// A fetch handed over as one result: the answer, the document and the log,
// with the client's events still firing as they do for Get.
#include <algorithm>
#include <stdexcept>

#include "HttpCliFixture.h"

namespace zelvo::http {
namespace {

using namespace testing_support;

// The fixture's handlers attach a stream of their own to every document;
// these cases leave the document to the fetch unless they say otherwise.
class HttpFetchTest : public HttpCliTest {
protected:
    void SetUp() override {
        HttpCliTest::SetUp();
        cli.OnDocBegin = [this](THttpCli*) { Log("docbegin"); };
        cli.OnDocEnd = [this](THttpCli*) { Log("docend"); };
    }
    std::string UrlOf(const LoopbackServer& server, const std::string& path) {
        return "http://127.0.0.1:" + server.PortText() + path;
    }
};

TEST_F(HttpFetchTest, ASuccessCarriesItsAnswerDocumentAndLogWhileTheEventsFireInTurn) {
    LoopbackServer target(
        Respond("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: 5\r\n\r\nhello"));
    LoopbackServer first(
        Respond("HTTP/1.0 302 Moved\r\nLocation: " + UrlOf(target, "/news/page.htm") + "\r\n\r\n"));
    cli.SetURL(UrlOf(first, "/old.htm"));
    cli.SetUsername("reader");
    cli.SetPassword("s3cret");

    TFetchResult r = cli.Fetch();

    EXPECT_FALSE(r.Failed);
    EXPECT_EQ(r.StatusCode, 200);
    EXPECT_EQ(r.ReasonPhrase, "OK");
    EXPECT_EQ(r.ContentType, "text/html");
    EXPECT_EQ(r.FinalURL, UrlOf(target, "/news/page.htm"));
    ASSERT_TRUE(r.Body.has_value());
    EXPECT_EQ(*r.Body, "hello");
    EXPECT_EQ(cli.RcvdStream(), nullptr);  // the fetch's own stream is not left behind

    // The log tells the exchange in the order the events came, the password
    // nowhere in it.
    const std::string host1 = "127.0.0.1";
    std::vector<std::string> expected;
    for (int request = 0; request < 2; ++request) {
        expected.push_back(request == 0 ? "cmd> GET /old.htm HTTP/1.0"
                                        : "cmd> GET /news/page.htm HTTP/1.0");
        expected.push_back("cmd> User-Agent: Mozilla/2.0 (compatible)");
        expected.push_back("cmd> Host: " + host1);
        if (request == 0)
            expected.push_back("cmd> Authorization: Basic ********");
    }
    expected.push_back("text/html => old.htm");
    expected.push_back("Document = old.htm");
    expected.push_back("RequestDone Error = 0");
    expected.push_back("StatusCode = 200");
    for (const std::string& line : cli.RcvdHeader())
        expected.push_back("hdr>" + line);
    EXPECT_EQ(r.Log, expected);
    std::size_t commandsSeen = 0;
    for (const std::string& e : events)
        commandsSeen += e.rfind("command ", 0) == 0 && e != "command " ? 1 : 0;
    EXPECT_EQ(commandsSeen, 7u);
    ASSERT_GE(events.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(events.end() - 5, events.end()),
              (std::vector<std::string>{"docbegin", "docdata", "docend", "state 0", "done 1 0"}));
}

TEST_F(HttpFetchTest, AFailureCarriesItsReasonAndNoDocument) {
    LoopbackServer gone(
        Respond("HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n"
                "<h1>gone</h1>"));
    cli.SetURL(UrlOf(gone, "/gone"));
    TFetchResult r = cli.Fetch();
    EXPECT_TRUE(r.Failed);
    EXPECT_EQ(r.StatusCode, 404);
    EXPECT_EQ(r.ReasonPhrase, "Not Found");
    EXPECT_FALSE(r.Body.has_value());
    ASSERT_GE(r.Log.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(r.Log.end() - 3, r.Log.end()),
              (std::vector<std::string>{"GET Failed !", "StatusCode   = 404",
                                        "ReasonPhrase = Not Found"}));

    // The client's own failures read the same way.
    cli.SetURL("http://127.0.0.1:1/");
    r = cli.Fetch();
    EXPECT_TRUE(r.Failed);
    EXPECT_EQ(r.StatusCode, 404);
    EXPECT_EQ(r.ReasonPhrase.rfind("Connection refused", 0), 0u) << r.ReasonPhrase;
    EXPECT_EQ(r.Log.back(), "ReasonPhrase = " + r.ReasonPhrase);
}

TEST_F(HttpFetchTest, AStreamTheCallerAttachesTakesTheDocumentInstead) {
    LoopbackServer server(Respond("HTTP/1.0 200 OK\r\n\r\nmine"));
    TMemoryStream own;
    cli.OnDocBegin = [&](THttpCli* c) { c->SetRcvdStream(&own); };
    cli.OnDocEnd = [&](THttpCli* c) { c->SetRcvdStream(nullptr); };
    cli.SetURL(UrlOf(server, "/"));
    TFetchResult r = cli.Fetch();
    EXPECT_FALSE(r.Failed);
    EXPECT_FALSE(r.Body.has_value());
    EXPECT_EQ(own.Data(), "mine");
}

TEST_F(HttpFetchTest, AnAnswerWithoutAContentTypeIsNotReadByAnEarlierOnes) {
    int served = 0;
    LoopbackServer server([&](LoopbackServer::Conn& c) {
        c.ReadRequest();
        c.Write(served++ == 0 ? "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=shift_jis"
                                "\r\n\r\none"
                              : "HTTP/1.0 200 OK\r\n\r\ntwo");
    });
    cli.SetURL(UrlOf(server, "/"));
    EXPECT_EQ(cli.Fetch().ContentType, "text/html; charset=shift_jis");
    TFetchResult second = cli.Fetch();
    EXPECT_EQ(second.ContentType, "");
    EXPECT_EQ(second.Body.value_or(""), "two");
    // The property itself keeps the last value any response sent.
    EXPECT_EQ(cli.ContentType(), "text/html; charset=shift_jis");
}

TEST_F(HttpFetchTest, AFetchAskedForWhileOneRunsIsRefusedAndTheFirstGoesOn) {
    LoopbackServer server(Respond("HTTP/1.0 200 OK\r\n\r\nbody"));
    cli.SetURL(UrlOf(server, "/"));
    TFetchResult nested;
    cli.OnDocBegin = [&](THttpCli* c) { nested = c->Fetch(); };
    TFetchResult r = cli.Fetch();
    EXPECT_TRUE(nested.Failed);
    ASSERT_FALSE(nested.Log.empty());
    EXPECT_EQ(nested.Log.front(), "Error = HTTP component is busy");
    EXPECT_FALSE(r.Failed);
    EXPECT_EQ(r.Body.value_or(""), "body");
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(HttpFetchTest, AnExceptionFromAHandlerEndsTheRequestWithItsTextAsTheReason) {
    LoopbackServer server(Respond("HTTP/1.0 200 OK\r\n\r\nlater"));
    cli.SetURL(UrlOf(server, "/"));
    bool thrown = false;
    cli.OnStateChange = [&](THttpCli*) {
        if (!thrown) {
            thrown = true;
            throw std::runtime_error("handler broke");
        }
    };
    TFetchResult r = cli.Fetch();
    EXPECT_TRUE(r.Failed);
    EXPECT_EQ(r.ReasonPhrase, "handler broke");
    EXPECT_NE(std::find(r.Log.begin(), r.Log.end(), "Error = handler broke"), r.Log.end());
    EXPECT_EQ(cli.HttpState(), hsReady);

    // The client is free for the next fetch.
    r = cli.Fetch();
    EXPECT_FALSE(r.Failed);
    EXPECT_EQ(r.Body.value_or(""), "later");
}

}  // namespace
}  // namespace zelvo::http
