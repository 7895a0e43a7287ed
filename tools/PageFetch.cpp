#include "PageFetch.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>

#include "app/RetrievalCycle.h"
#include "app/TickerScroller.h"
#include "config/LiveSettings.h"
#include "platform/Dialogs.h"
#include "text/ControlCharacters.h"

namespace zelvo::tools {
namespace {

// The dialog's fields and the strip, for one fetch from the command line.
class ConsoleHost : public config::TRetrievalInputs, public app::TTickerView {
public:
    std::string SiteURL(int) const override { return {}; }
    bool SiteEnabled(int) const override { return false; }
    void SetSiteEnabled(int, bool) override {}
    std::string ProxyHostText() const override { return {}; }
    std::string ProxyPortText() const override { return {}; }
    std::string TestURL() const override { return {}; }
    void SetTestURL(const std::string&) override {}
    void SetCurrentURLCaption(const std::string&) override {}
    void SetPageSizeCaption(const std::string&) override {}
    void SetRetrievalCancelEnabled(bool) override {}
    void SetTickerCaption(const std::string&) override {}
    void SetApplicationTitle(const std::string&) override {}
    void SetCaptionTimerEnabled(bool) override {}
    void SetExplainTimerEnabled(bool) override {}
    void ProcessMessages() override {}
};

// Message boxes become the result's message; nobody is there to answer them.
class Messages : public platform::DialogService {
public:
    Messages() : previous_(platform::SetDialogService(this)) {}
    ~Messages() override { platform::SetDialogService(previous_); }
    Messages(const Messages&) = delete;
    Messages& operator=(const Messages&) = delete;
    int MessageBox(const std::string& text, const std::string&, platform::UINT flags) override {
        if (!text.empty())
            message = text;
        return (flags & 0x0F) == platform::MB_YESNO ? platform::IDNO : platform::IDOK;
    }
    void MessageBeep(platform::UINT) override {}
    // The ticker's failure box names the address on a second line; here the
    // user has just typed it, so the message alone is the result.
    void ShowLasting(const std::string&, const std::string& text, const std::string& caption,
                     platform::UINT flags) override {
        MessageBox(text.substr(0, text.find('\n')), caption, flags);
    }
    std::string message;

private:
    platform::DialogService* previous_;
};

// The log and page files of the fetch go to a folder of its own, so that a
// preview never overwrites what a running ticker wrote.
class ScratchDir {
public:
    ScratchDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zelvo-page-XXXXXX").string();
        if (::mkdtemp(tmpl.data()) != nullptr)
            path_ = tmpl;
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string Path() const { return path_ + "/"; }
    bool Ok() const { return !path_.empty(); }

private:
    std::string path_;
};

}  // namespace

FetchResult FetchPage(const FetchOptions& options) {
    FetchResult result;
    ScratchDir scratch;
    if (!scratch.Ok()) {
        result.message = "cannot create a temporary folder";
        return result;
    }
    Messages messages;
    ConsoleHost host;
    app::TTickerScroller scroller(host);
    platform::WindowTimer timerRetrieve(1250);
    http::THttpCli client;
    app::TRetrievalCycle cycle(client, host, scroller, host, timerRetrieve);
    cycle.FilesDir = scratch.Path();
    config::Live().Username = options.username;
    config::Live().Password = options.password;
    try {
        cycle.RetrieveURL(options.url, options.proxyHost, options.proxyPort);
    } catch (const std::exception& e) {
        messages.message = e.what();
    }
    if (options.showLog) {
        std::ifstream log(scratch.Path() + "Zelv.Log", std::ios::binary);
        std::string line;
        while (std::getline(log, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            // The log quotes the server, which may write anything.
            std::fprintf(stderr, "%s\n", text::TerminalSafe(line).c_str());
        }
    }
    result.ok = messages.message.empty() && cycle.HttpCli1.StatusCode() > 0 &&
                cycle.HttpCli1.StatusCode() < 400;
    if (!result.ok && messages.message.empty())
        messages.message = "Unable to retrieve URL, " +
                           app::TRetrievalCycle::FailureReason(cycle.HttpCli1.ReasonPhrase(),
                                                               cycle.HttpCli1.StatusCode()) +
                           ".";
    result.message = messages.message;
    result.tickerText = std::move(scroller.TickerText);
    result.headlines = std::move(cycle.Headlines);
    result.feeds = std::move(cycle.OfferedFeeds);
    result.plainText = scroller.PlainText;
    return result;
}

}  // namespace zelvo::tools
