// The HTTP client over TLS in the Windows build, against the servers that
// tests/support/tls-servers.sh starts with certificates made for the run and
// the test CA as the only root: the same requests and failure texts as on
// Linux.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "http/HttpProt.h"
#include "platform/WinSock.h"

namespace zelvo::http {
namespace {

std::string Url(const char* portVariable) {
    const char* port = std::getenv(portVariable);
    return "https://127.0.0.1:" + std::string(port != nullptr ? port : "0") + "/";
}

class HttpsWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("ZELVO_TLS_GOOD_PORT"), nullptr) << "run through tls-servers.sh";
        cli.SetAgent("Mozilla/2.0 (compatible)");
        cli.OnDocBegin = [this](THttpCli* c) {
            doc = std::make_unique<TMemoryStream>();
            c->SetRcvdStream(doc.get());
        };
        cli.OnDocEnd = [](THttpCli* c) { c->SetRcvdStream(nullptr); };
    }

    // Runs Get; the text of the exception it raised, empty when none.
    std::string GetFailure() {
        try {
            cli.Get();
        } catch (const EHttpException& e) {
            EXPECT_EQ(e.ErrorCode, 404);
            return e.what();
        }
        return "";
    }
    std::string Body() const { return doc ? doc->Data() : std::string(); }

    THttpCli cli;
    std::unique_ptr<TMemoryStream> doc;
};

TEST_F(HttpsWindowsTest, ADocumentComesOverTls) {
    cli.SetURL(Url("ZELVO_TLS_GOOD_PORT"));
    EXPECT_EQ(GetFailure(), "");
    EXPECT_EQ(cli.StatusCode(), 200);
    EXPECT_EQ(Body().rfind("<HTML>", 0), 0u) << Body().substr(0, 200);
    EXPECT_NE(Body().find("</HTML>"), std::string::npos);
}

TEST_F(HttpsWindowsTest, CertificateFaultsFailWithTheirReason) {
    cli.SetURL(Url("ZELVO_TLS_SELF_SIGNED_PORT"));
    EXPECT_EQ(GetFailure(), "Certificate not trusted: self-signed certificate");
    EXPECT_EQ(cli.HttpState(), hsReady);
    EXPECT_EQ(Body(), "");
    cli.SetURL(Url("ZELVO_TLS_EXPIRED_PORT"));
    EXPECT_EQ(GetFailure(), "Certificate not trusted: certificate has expired");
}

}  // namespace
}  // namespace zelvo::http
