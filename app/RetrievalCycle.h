#pragma once
// When a page is fetched and which one, the fetch itself with its log, the
// report of a failure, and the hand-over of a received page to the
// conversion and the scroller. Also the automatic exit.
#include <memory>
#include <string>
#include <vector>

#include <functional>

#include "app/TickerScroller.h"
#include "config/RetrievalInputs.h"
#include "http/HttpProt.h"
#include "http/Stream.h"
#include "platform/WindowTimer.h"
#include "text/PageConversion.h"

namespace zelvo::app {

class TRetrievalCycle {
public:
    // The cycle drives the client through its events; the client, the
    // dialog's inputs, the scroller, its view and the timer must outlive it.
    TRetrievalCycle(http::THttpCli& client, config::TRetrievalInputs& inputs,
                    TTickerScroller& scroller, TTickerView& view,
                    platform::WindowTimer& timerRetrieve);
    ~TRetrievalCycle();
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
    // Where each headline of the ticker text leads, when the page was a feed.
    std::vector<text::THeadline> Headlines;

    // Where "Zelv.Log" and "WebPage.txt" go: the executable's directory
    // unless the owner says otherwise (the ticker uses the program's folders).
    std::string FilesDir;

    void timerRetrieveTimer();
    int NextEnabledSite(int current) const;
    void RetrieveTestURL();
    void RetrieveURL(std::string url, std::string proxyHost, std::string proxyPort);
    void CancelRetrieval();
    void timerTimeOutTimer();

    // The reason text of the failure message for a reason phrase.
    static std::string FailureReason(const std::string& reasonPhrase, int statusCode);

private:
    void HttpCli1Command(const std::string& s);
    void HttpCli1DocBegin();
    void HttpCli1DocEnd();
    void HttpCli1RequestDone(http::THttpRequest rqType, http::THttpCli::Word error);
    void SaveLog();
    void ReleaseBodyStream();
    void SetCancelEnabled(bool enabled);

    config::TRetrievalInputs& inputs_;
    TTickerScroller& scroller_;
    TTickerView& view_;
    platform::WindowTimer& timerRetrieve_;
    std::unique_ptr<http::TMemoryStream> bodyStream_;
    std::unique_ptr<http::TMemoryStream> receivedPage_;
};

}  // namespace zelvo::app
