#pragma once
// What the HTTP client's suites share: canned servers on 127.0.0.1 and a
// client whose events are written down in order.
#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "http/HttpProt.h"
#include "platform/MessageLoop.h"
#include "platform/WinSock.h"
#include "platform/WindowTimer.h"
#include "support/LoopbackServer.h"

namespace zelvo::http::testing_support {

using zelvo::testing::LoopbackServer;

// Serves the same response to every connection.
inline LoopbackServer::Handler Respond(std::string response) {
    return [response](LoopbackServer::Conn& c) {
        c.ReadRequest();
        c.Write(response);
    };
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0, end;
    while ((end = text.find("\r\n", start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

class HttpCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        cli.SetAgent("Mozilla/2.0 (compatible)");
        cli.OnStateChange = [this](THttpCli* c) { Log("state " + std::to_string(c->HttpState())); };
        cli.OnHeaderBegin = [this](THttpCli*) { Log("headerbegin"); };
        cli.OnHeaderEnd = [this](THttpCli*) { Log("headerend"); };
        cli.OnHeaderData = [this](THttpCli*) { Log("headerdata"); };
        cli.OnCommand = [this](THttpCli*, const std::string& s) {
            Log("command " + s);
            commands.push_back(s);
        };
        cli.OnDocBegin = [this](THttpCli* c) {
            Log("docbegin");
            doc = std::make_unique<TMemoryStream>();
            c->SetRcvdStream(doc.get());
        };
        cli.OnDocData = [this](THttpCli*, const char*, int) {
            if (events.empty() || events.back() != "docdata")
                Log("docdata");
        };
        cli.OnDocEnd = [this](THttpCli* c) {
            Log("docend");
            c->SetRcvdStream(nullptr);
        };
        cli.OnRequestDone = [this](THttpCli*, THttpRequest rq, THttpCli::Word error) {
            Log("done " + std::to_string(rq) + " " + std::to_string(error));
        };
        // A safety net only: a request that never ends fails the test
        // instead of hanging it.
        safety.SetOnTimer([this] {
            safetyFired = true;
            cli.Abort();
        });
        safety.SetEnabled(true);
    }
    void TearDown() override {
        EXPECT_FALSE(safetyFired);
        platform::SetHostResolver({});
    }

    void Log(const std::string& e) { events.push_back(e); }
    bool Saw(const std::string& e) const {
        for (const auto& x : events)
            if (x == e)
                return true;
        return false;
    }
    std::string Body() const { return doc ? doc->Data() : std::string(); }

    // Runs Get and returns the exception it raised (code 0 when none).
    EHttpException GetCatching() {
        try {
            cli.Get();
        } catch (const EHttpException& e) {
            return e;
        }
        return EHttpException("", 0);
    }

    THttpCli cli;
    std::vector<std::string> events;
    std::vector<std::string> commands;
    std::unique_ptr<TMemoryStream> doc;
    bool safetyFired = false;
    platform::WindowTimer safety{20000};
};

}  // namespace zelvo::http::testing_support
