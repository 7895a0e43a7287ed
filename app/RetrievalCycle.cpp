#include "app/RetrievalCycle.h"

#include <cstdio>
#include <fstream>
#include <optional>

#include "config/LiveSettings.h"
#include "http/CredentialMask.h"
#include "platform/Cp1252.h"
#include "platform/Dialogs.h"
#include "platform/FileReplace.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "text/PageConversion.h"
#include "text/PageReading.h"
#include "text/Utf8.h"

namespace zelvo::app {
namespace {

std::string CutAtHash(const std::string& s) {
    size_t hash = s.find('#');
    return hash == std::string::npos ? s : s.substr(0, hash);
}

std::string BytesCaption(size_t length) {
    return " Bytes: " + std::to_string(length);
}

}  // namespace

TRetrievalCycle::TRetrievalCycle(http::THttpCli& client, config::TRetrievalInputs& inputs,
                                 TTickerScroller& scroller, TTickerView& view,
                                 platform::WindowTimer& timerRetrieve)
    : HttpCli1(client),
      FilesDir(platform::ExeDir()),
      inputs_(inputs),
      scroller_(scroller),
      view_(view),
      timerRetrieve_(timerRetrieve) {
    HttpCli1.SetProxyPort("80");
    HttpCli1.SetAgent("Mozilla/2.0 (compatible)");
    HttpCli1.SetNoCache(false);
    HttpCli1.SetContentTypePost("application/x-www-form-urlencoded");
    HttpCli1.SetMultiThreaded(false);
    HttpCli1.SetConnectTimeOut(kConnectLimit);
    HttpCli1.SetReceiveTimeOut(kSilenceLimit);
    HttpCli1.SetRequestTimeOut(kRequestLimit);
    HttpCli1.OnCommand = [this](http::THttpCli*, const std::string& s) { HttpCli1Command(s); };
    HttpCli1.OnPlainRelocation = [this](http::THttpCli*, const std::string& url) {
        DownloadMemo.push_back("Relocated from https to plain http: " + http::MaskCredentials(url));
    };
    HttpCli1.OnDocBegin = [this](http::THttpCli*) { HttpCli1DocBegin(); };
    HttpCli1.OnDocEnd = [this](http::THttpCli*) { HttpCli1DocEnd(); };
    HttpCli1.OnRequestDone = [this](http::THttpCli*, http::THttpRequest rq,
                                    http::THttpCli::Word error) { HttpCli1RequestDone(rq, error); };
}

TRetrievalCycle::~TRetrievalCycle() {
    HttpCli1.SetRcvdStream(nullptr);
}

void TRetrievalCycle::timerRetrieveTimer() {
    auto& live = config::Live();
    if (!live.AutoRetrievalOn)
        timerRetrieve_.SetEnabled(false);
    if (timerRetrieve_.Interval() == 60000) {
        ++MinuteCount;
    } else {
        timerRetrieve_.SetInterval(60000);
        MinuteCount = live.RetrievalInterval;
    }
    if (MinuteCount < live.RetrievalInterval)
        return;
    if (RetrievalBusy) {
        // The fetch under way (a Site Check, a manual one) keeps this turn
        // for the next minute: the rotation and the count stay, so no site
        // loses its turn to it.
        platform::MessageBeep(0);
        return;
    }
    MinuteCount = 0;
    view_.SetCaptionTimerEnabled(false);
    scroller_.TickerText.clear();

    CurrentSite = NextEnabledSite(CurrentSite);
    if (CurrentSite == -1) {
        inputs_.SetSiteEnabled(1, true);
        CurrentSite = 1;
    }
    std::string url = inputs_.SiteURL(CurrentSite == 2 || CurrentSite == 3 ? CurrentSite : 1);
    txtWorking = url;
    if (platform::Trim(url).empty()) {
        platform::MessageBeep(0);
        view_.SetCaptionTimerEnabled(true);
        platform::ShowLastingWarning(kFailureBox, std::string("URL for this site is empty, ") +
                                                      "check Configuration Dialog.   ");
        return;
    }
    url = CutAtHash(url);
    txtWorking = url;
    RetrieveURL(url, inputs_.ProxyHostText(), inputs_.ProxyPortText());
}

void TRetrievalCycle::TakeSiteNext(int site) {
    if (site >= 1 && site <= 3 && inputs_.SiteEnabled(site))
        CurrentSite = site - 1;
}

int TRetrievalCycle::NextEnabledSite(int current) const {
    if (!inputs_.SiteEnabled(1) && !inputs_.SiteEnabled(2) && !inputs_.SiteEnabled(3))
        return -1;
    int k = (current + 1) % 4;  // the remainder keeps the dividend's sign, as intended
    for (;;) {
        if (k < 0)
            return 1;
        int site = k == 0 ? 1 : k;
        if (inputs_.SiteEnabled(site))
            return site;
        k = (k + 1) % 4;
    }
}

void TRetrievalCycle::RetrieveTestURL() {
    MinuteCount = 0;
    view_.SetCaptionTimerEnabled(false);
    scroller_.TickerText.clear();
    std::string url = inputs_.TestURL();
    if (platform::Trim(url).empty()) {
        platform::MessageBeep(0);
        view_.SetCaptionTimerEnabled(true);
        return;
    }
    if (url.find('#') != std::string::npos) {
        url = CutAtHash(url);
        inputs_.SetTestURL(url);
    }
    RetrieveURL(url, inputs_.ProxyHostText(), inputs_.ProxyPortText());
}

void TRetrievalCycle::RetrieveURL(std::string url, std::string proxyHost, std::string proxyPort) {
    if (RetrievalBusy) {
        platform::MessageBeep(0);
        return;
    }
    std::optional<std::string> failure;
    {
        RetrievalBusy = true;
        struct Always {
            TRetrievalCycle& self;
            ~Always() {
                self.receivedPage_.reset();
                self.SetCancelEnabled(false);
                self.KeyLatch = false;
                self.RetrievalBusy = false;
            }
        } always{*this};
        failure = Fetch(url, std::move(proxyHost), std::move(proxyPort));
    }
    // Shown once the cycle is free again, and the box waits for nobody: the
    // schedule goes on while it is open. The address that failed stands on
    // a line of its own below the message.
    if (failure)
        platform::ShowLastingWarning(kFailureBox, *failure + "\n" + url);
}

std::optional<std::string> TRetrievalCycle::Fetch(const std::string& url, std::string proxyHost,
                                                  std::string proxyPort) {
    DownloadMemo.clear();
    SetCancelEnabled(true);
    KeyLatch = true;

    HttpCli1.SetURL(url);
    HttpCli1.SetProxy(proxyHost);
    HttpCli1.SetProxyPort(proxyPort);
    HttpCli1.SetUsername(config::Live().Username);
    HttpCli1.SetPassword(config::Live().Password);
    ReleaseBodyStream();
    HttpCli1.SetModifiedSince(0);

    Headlines.clear();
    OfferedFeeds.clear();
    inputs_.SetOfferedFeeds(OfferedFeeds);
    view_.SetApplicationTitle(config::kProductName);
    inputs_.SetCurrentURLCaption(" " + url);
    // The strip shows UTF-8; the dialog's texts are Windows-1252.
    // The strip is in plain view: a password in the address is not shown.
    // An address's "&" is a character, not an access key.
    view_.SetPlainTickerCaption(" Connecting to " +
                                platform::Cp1252ToUtf8(http::MaskCredentials(url)) + "...");
    inputs_.SetPageSizeCaption(BytesCaption(scroller_.TickerText.size()));

    bool failed = false;
    try {
        HttpCli1.Get();
    } catch (...) {
        failed = true;
    }

    if (failed) {
        DownloadMemo.push_back("GET Failed !");
        DownloadMemo.push_back("StatusCode   = " + std::to_string(HttpCli1.StatusCode()));
        DownloadMemo.push_back("ReasonPhrase = " + http::MaskCredentials(HttpCli1.ReasonPhrase()));
        SaveLog();
        if (HttpCli1.StatusCode() == 0)
            return std::nullopt;
        view_.SetTickerCaption(" Zelvo");
        return "Unable to retrieve URL, " +
               FailureReason(HttpCli1.ReasonPhrase(), HttpCli1.StatusCode()) + "." + "     ";
    }

    DownloadMemo.push_back("StatusCode = " + std::to_string(HttpCli1.StatusCode()));
    for (const std::string& line : HttpCli1.RcvdHeader())
        DownloadMemo.push_back("hdr>" + http::MaskCredentials(line));
    SaveLog();

    if (receivedPage_) {
        // The page moves from stream to conversion; each step lets go of
        // what it read, so a large page is never held three times.
        std::string body = receivedPage_->TakeData();
        receivedPage_.reset();
        DownloadMemo.clear();
        text::TPageRead read = text::ReadReceivedPage(
            std::move(body), HttpCli1.ContentType(), HttpCli1.CurrentDocumentURL(),
            text::PageReadingNamed(config::Live().PageReading));
        scroller_.TickerText = std::move(read.line.text);
        scroller_.PlainText = !read.classic;
        Headlines = std::move(read.line.headlines);
        OfferedFeeds = std::move(read.feeds);
        inputs_.SetOfferedFeeds(OfferedFeeds);
        text::WritePageText(scroller_.TickerText, DownloadMemo, FilesDir);
    } else {
        // No body: the log lines themselves, by the classic rules.
        text::ConvertPageText(DownloadMemo, scroller_.TickerText, FilesDir);
        scroller_.PlainText = false;
    }
    inputs_.SetPageSizeCaption(BytesCaption(text::CharCount(scroller_.TickerText)));
    scroller_.ScrollPos = 1;
    view_.SetCaptionTimerEnabled(true);
    return std::nullopt;
}

std::string TRetrievalCycle::FailureReason(const std::string& p, int statusCode) {
    std::string lower = platform::AsciiLower(p);
    if (lower.find("object not found") != std::string::npos)
        return "object not found";
    if (lower.find("resolve hostname to ip address") != std::string::npos)
        return "unresolved IP address or timed out";
    if (lower.find("file not found") != std::string::npos)
        return "file not found";
    if (statusCode == 200 && lower.find("ok") != std::string::npos)
        return "program busy";
    // A reason the server left empty still says what went wrong.
    if (platform::Trim(p).empty())
        return "status " + std::to_string(statusCode);
    // A reason that opens with an abbreviation ("HTTP", "TLS") keeps it.
    auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
    if (p[0] == 'H' || (p.size() > 1 && upper(p[0]) && upper(p[1])))
        return p;
    std::string r = p;
    r[0] = platform::AsciiLower(r[0]);
    return r;
}

void TRetrievalCycle::CancelRetrieval() {
    HttpCli1.Abort();
    SetCancelEnabled(false);
    KeyLatch = false;
}

void TRetrievalCycle::timerTimeOutTimer() {
    int limit = config::Live().AutoTimeOut;
    if (limit == 0)
        return;
    TimeOutTag = 0;
    ++HoursElapsed;
    if (HoursElapsed >= limit) {
        TimeOutTag = 1;
        if (OnTimeOut)
            OnTimeOut();
    }
}

void TRetrievalCycle::HttpCli1Command(const std::string& s) {
    if (!s.empty())
        DownloadMemo.push_back("cmd> " + http::MaskCredentials(s));
}

void TRetrievalCycle::HttpCli1DocBegin() {
    DownloadMemo.push_back(HttpCli1.ContentType() + " => " + HttpCli1.DocName());
    DownloadMemo.push_back("Document = " + HttpCli1.DocName());
    bodyStream_ = std::make_unique<http::TMemoryStream>();
    HttpCli1.SetRcvdStream(bodyStream_.get());
}

void TRetrievalCycle::HttpCli1DocEnd() {
    // The page moves over rather than being copied: a large page is held
    // once, not twice.
    receivedPage_ = std::make_unique<http::TMemoryStream>(bodyStream_ ? bodyStream_->TakeData()
                                                                      : std::string());
    if (HttpCli1.RcvdStream() != nullptr)
        ReleaseBodyStream();
}

void TRetrievalCycle::HttpCli1RequestDone(http::THttpRequest, http::THttpCli::Word error) {
    DownloadMemo.push_back("RequestDone Error = " + std::to_string(static_cast<unsigned>(error)));
}

void TRetrievalCycle::SetCancelEnabled(bool enabled) {
    inputs_.SetRetrievalCancelEnabled(enabled);
    if (OnCancelEnabled)
        OnCancelEnabled(enabled);
}

void TRetrievalCycle::ReleaseBodyStream() {
    HttpCli1.SetRcvdStream(nullptr);
    bodyStream_.reset();
}

void TRetrievalCycle::SaveLog() {
    std::string text;
    for (const std::string& line : DownloadMemo) {
        text += line;
        text += "\r\n";
    }
    // The exchange names the user's sites and may carry their answers: the
    // log is the user's alone.
    platform::ReplaceFileContents(FilesDir + "Zelv.Log", text, platform::FileAccess::Private);
}

}  // namespace zelvo::app
