#pragma once
// When a page is fetched and which one, the fetch with its log, the report
// of a failure, and the hand-over of the fetched line to the scroller. Also
// the automatic exit.
#include <optional>
#include <string>
#include <vector>

#include <functional>

#include "app/TickerScroller.h"
#include "config/RetrievalInputs.h"
#include "http/HttpProt.h"
#include "platform/WindowTimer.h"
#include "text/PageConversion.h"

namespace zelvo::app {

class TRetrievalCycle {
public:
    // The cycle sets the client up as the ticker's and runs its fetches; the
    // client, the dialog's inputs, the scroller, its view and the timer must
    // outlive it.
    TRetrievalCycle(http::THttpCli& client, config::TRetrievalInputs& inputs,
                    TTickerScroller& scroller, TTickerView& view,
                    platform::WindowTimer& timerRetrieve);
    TRetrievalCycle(const TRetrievalCycle&) = delete;
    TRetrievalCycle& operator=(const TRetrievalCycle&) = delete;

    http::THttpCli& HttpCli1;

    // Whether a fetch may be cancelled now (the tray menu's Cancel item).
    std::function<void(bool enabled)> OnCancelEnabled;
    // The automatic exit: the strip is closed (the close query lets it through).
    std::function<void()> OnTimeOut;

    int MinuteCount = 0;
    int CurrentSite = 0;
    bool RetrievalBusy = false;
    bool KeyLatch = false;
    int HoursElapsed = 0;
    int TimeOutTag = 0;  // set by the automatic exit: no question on close
    std::vector<std::string> DownloadMemo;
    // The address of the automatic fetch under way.
    std::string txtWorking;
    // Where each headline of the ticker text leads (headlines and feeds).
    std::vector<text::THeadline> Headlines;
    // The feeds the page in the ticker declares, resolved.
    std::vector<std::string> OfferedFeeds;

    // Where "Zelv.Log" and "WebPage.txt" go: the executable's directory
    // unless the owner says otherwise (the ticker uses the program's folders).
    std::string FilesDir;

    // The name of the one box that reports failed fetches.
    static constexpr const char* kFailureBox = "retrievalFailure";

    void timerRetrieveTimer();
    int NextEnabledSite(int current) const;
    // The site (1..3) whose turn comes at the next automatic fetch, when it
    // is enabled; the rotation goes on from there.
    void TakeSiteNext(int site);
    void RetrieveTestURL();
    void RetrieveURL(std::string url, std::string proxyHost, std::string proxyPort);
    void CancelRetrieval();
    void timerTimeOutTimer();

private:
    // The fetch of RetrieveURL while the cycle is busy: the failure message,
    // or nothing after a success or a failure that only logs.
    std::optional<std::string> Fetch(const std::string& url, std::string proxyHost,
                                     std::string proxyPort);
    void SaveLog();
    void SetCancelEnabled(bool enabled);

    config::TRetrievalInputs& inputs_;
    TTickerScroller& scroller_;
    TTickerView& view_;
    platform::WindowTimer& timerRetrieve_;
};

}  // namespace zelvo::app
