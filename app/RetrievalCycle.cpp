#include "app/RetrievalCycle.h"

#include <cstdio>
#include <fstream>
#include <optional>

#include "app/RetrievalMessages.h"
#include "app/TickerFetch.h"
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
    SetUpTickerClient(HttpCli1);
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
        platform::ShowLastingWarning(kFailureBox, kEmptySiteMessage);
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

    http::TFetchResult fetched = HttpCli1.Fetch();
    DownloadMemo = fetched.Log;
    SaveLog();
    if (fetched.Failed) {
        std::optional<std::string> message = FailureMessage(fetched);
        // A failure that left no status keeps the connecting text up.
        if (message)
            view_.SetTickerCaption(" Zelvo");
        return message;
    }

    TTickerLine line =
        ReadFetchedPage(std::move(fetched), text::PageReadingNamed(config::Live().PageReading));
    scroller_.TickerText = std::move(line.text);
    scroller_.PlainText = line.plainText;
    Headlines = std::move(line.headlines);
    OfferedFeeds = std::move(line.feeds);
    inputs_.SetOfferedFeeds(OfferedFeeds);
    text::WritePageText(scroller_.TickerText, DownloadMemo, FilesDir);
    inputs_.SetPageSizeCaption(BytesCaption(text::CharCount(scroller_.TickerText)));
    scroller_.ScrollPos = 1;
    view_.SetCaptionTimerEnabled(true);
    return std::nullopt;
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

void TRetrievalCycle::SetCancelEnabled(bool enabled) {
    inputs_.SetRetrievalCancelEnabled(enabled);
    if (OnCancelEnabled)
        OnCancelEnabled(enabled);
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
