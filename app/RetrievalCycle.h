#pragma once
// When a page is fetched and which one, the fetch itself with its log, the
// report of a failure, and the hand-over of a received page to the
// conversion and the scroller. Also the automatic exit.
#include <memory>
#include <string>
#include <vector>

#include "app/PageConversion.h"
#include "app/TickerScroller.h"
#include "http/HttpProt.h"
#include "http/Stream.h"
#include "platform/WindowTimer.h"

namespace zelvo::app {

// What the cycle reads from and shows in the rest of the program: the
// configuration dialog's controls and the strip.
class TRetrievalHost {
public:
    virtual ~TRetrievalHost() = default;
    virtual std::string SiteURL(int site) const = 0;  // cbWebSite1..3
    virtual bool SiteEnabled(int site) const = 0;     // CheckBox1..3
    virtual void SetSiteEnabled(int site, bool enabled) = 0;
    virtual std::string ProxyHostText() const = 0;
    virtual std::string ProxyPortText() const = 0;
    virtual std::string TestURL() const = 0;  // cbTestURLs
    virtual void SetTestURL(const std::string& url) = 0;
    virtual void SetCurrentURLCaption(const std::string& caption) = 0;  // pnlURL
    virtual void SetPageSizeCaption(const std::string& caption) = 0;    // pnlSize
    virtual void SetCancelEnabled(bool enabled) = 0;                    // btnCancel and mnuCancel
    virtual void SetTickerCaption(const std::string& caption) = 0;      // lblTicker
    virtual void SetWorkingURL(const std::string& url) = 0;             // txtWorking
    // The automatic exit: closes the main form (the close query lets it through).
    virtual void CloseMainForm() = 0;
};

class TRetrievalCycle {
public:
    // host, scroller, view and the timers must outlive the cycle.
    TRetrievalCycle(TRetrievalHost& host, TTickerScroller& scroller, TTickerView& view,
                    platform::WindowTimer& timerRetrieve);
    ~TRetrievalCycle();
    TRetrievalCycle(const TRetrievalCycle&) = delete;
    TRetrievalCycle& operator=(const TRetrievalCycle&) = delete;

    http::THttpCli HttpCli1;

    int MinuteCount = 0;
    int CurrentSite = 0;
    bool RetrievalBusy = false;
    bool KeyLatch = false;
    int HoursElapsed = 0;
    int TimeOutTag = 0;  // set by the automatic exit: no question on close
    std::vector<std::string> DownloadMemo;
    // Where each headline of the ticker text leads, when the page was a feed.
    std::vector<THeadline> Headlines;

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

    TRetrievalHost& host_;
    TTickerScroller& scroller_;
    TTickerView& view_;
    platform::WindowTimer& timerRetrieve_;
    std::unique_ptr<http::TMemoryStream> bodyStream_;
    std::unique_ptr<http::TMemoryStream> receivedPage_;
};

}  // namespace zelvo::app
