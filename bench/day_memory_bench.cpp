// A day of the ticker's fetches in one process: the retrieval cycle fetches
// a page and a feed, in turn, as many times as asked, and the strip's image
// draws the start of each. The resident set is printed after rounds 1, 10
// and 50 and then every hundred, beside what the allocator holds in use
// (live memory) and what it keeps from the system (live plus free pieces):
// a leak shows as growth of the memory in use, fragmentation as growth of
// the rest. The server is the caller's (bench/day_memory_bench.sh).
//
//   build/bench/day_memory_bench PAGE-URL FEED-URL [rounds=1000]
#include <malloc.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/RetrievalCycle.h"
#include "app/TickerImage.h"
#include "app/TickerScroller.h"
#include "config/LiveSettings.h"
#include "config/RetrievalInputs.h"
#include "platform/Application.h"
#include "platform/Graphics.h"
#include "platform/WindowTimer.h"

namespace {

using namespace zelvo;

// The dialog's controls and the strip, with nobody to show them to.
class QuietHost : public config::TRetrievalInputs, public app::TTickerView {
public:
    std::string SiteURL(int) const override { return {}; }
    bool SiteEnabled(int) const override { return false; }
    void SetSiteEnabled(int, bool) override {}
    std::string ProxyHostText() const override { return {}; }
    std::string ProxyPortText() const override { return "80"; }
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

long StatusKib(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0)
            return std::atol(line.c_str() + prefix.size());
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PAGE-URL FEED-URL [rounds]\n", argv[0]);
        return 2;
    }
    const std::vector<std::string> urls{argv[1], argv[2]};
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1000;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);  // no display needed
    int qtArgc = 1;
    platform::Application app(qtArgc, argv);

    char dirTemplate[] = "/tmp/zelvo-day-XXXXXX";
    if (::mkdtemp(dirTemplate) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = dirTemplate;

    QuietHost host;
    app::TTickerScroller scroller{host};
    platform::WindowTimer timerRetrieve{1250};
    http::THttpCli client;
    app::TRetrievalCycle cycle{client, host, scroller, host, timerRetrieve};
    cycle.FilesDir = dir + "/";
    config::Live() = {};
    // The strip draws each new text as it scrolls; its drawing is part of
    // the day too.
    app::TTickerImage strip;
    platform::TFont face;
    face.Name = "Sans";
    face.Size = 12;
    strip.SetLook(face, 0x000000, 0xFFFFFF);
    std::vector<std::uint32_t> rows(std::size_t{2000} * 24);

    int status = 0;
    long rssAt100 = -1;
    std::printf("%6s %10s %14s %14s\n", "round", "RSS KiB", "in use KiB", "held KiB");
    for (int round = 1; round <= rounds && status == 0; ++round) {
        for (const std::string& url : urls) {
            cycle.RetrieveURL(url, "", "80");
            const auto& memo = cycle.DownloadMemo;
            if (scroller.TickerText.empty() ||
                std::find(memo.begin(), memo.end(), "GET Failed !") != memo.end()) {
                std::fprintf(stderr, "round %d: the fetch of %s failed\n", round, url.c_str());
                status = 1;
                break;
            }
            strip.SetText(scroller.TickerText, !scroller.PlainText);
            strip.CopyPixels(rows.data(), 2000, 0, 0, 2000, 24);
        }
        if (round == 1 || round == 10 || round == 50 || round % 100 == 0 || round == rounds) {
            const struct mallinfo2 m = ::mallinfo2();
            const long rss = StatusKib("VmRSS");
            if (round == 100)
                rssAt100 = rss;
            std::printf("%6d %10ld %14zu %14zu\n", round, rss, m.uordblks / 1024,
                        (m.arena + m.hblkhd) / 1024);
            std::fflush(stdout);
        }
    }
    const long rssEnd = StatusKib("VmRSS");
    if (status == 0 && rssAt100 >= 0)
        std::printf("RSS from round 100 to round %d: %+ld KiB\n", rounds, rssEnd - rssAt100);
    std::filesystem::remove_all(dir);
    return status;
}
