// zelvo-page: shows from the command line what the ticker makes of a page.
//
//   zelvo-page [--classic] --file PATH [--charset NAME]  the ticker text, in UTF-8
//   zelvo-page --links --file PATH              each headline and where it leads
//   zelvo-page --frames N [--step S] --file PATH  the first N captions of the strip
//   zelvo-page [--proxy HOST[:PORT]] [--proxy-port PORT] [--user U --password P] [--log] URL
//                                               fetches the page as the ticker does
//   zelvo-page --help | --version
//
// No display is needed: the scroller runs against a view that only records.
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "PageFetch.h"
#include "app/TickerScroller.h"
#include "config/LiveSettings.h"
#include "platform/CoreApplication.h"
#include "text/ControlCharacters.h"
#include "text/PageConversion.h"
#include "text/PageDecoding.h"
#include "text/PageReading.h"
#include "text/Utf8.h"

namespace {

constexpr const char* kUsage =
    "usage: zelvo-page [--classic] [--links] --file PATH [--charset NAME]\n"
    "       zelvo-page --frames N [--step S] [--classic] --file PATH [--charset NAME]\n"
    "       zelvo-page [options] URL\n"
    "       zelvo-page --help | --version\n"
    "\n"
    "  --file PATH   read PATH as the received page and write the ticker text\n"
    "                to standard output in UTF-8, without a line break: a web\n"
    "                page's title and headlines (its visible text when it has\n"
    "                fewer than three), a feed's headlines\n"
    "  --classic     read a web page by the classic rules instead: all its text,\n"
    "                as the ticker's Classic setting shows it\n"
    "  --links       write instead each headline that has a link and the link,\n"
    "                separated by a tab, one pair a line\n"
    "  --charset NAME  read the file in the encoding NAME labels as browsers\n"
    "                know them (utf-8, windows-1252, shift_jis, gbk...) instead of\n"
    "                finding it from the page; a byte-order mark still wins\n"
    "  --frames N    write instead the first N captions the strip shows, one a\n"
    "                line (the caption \" Zelvo\" ends the list when the text is blank)\n"
    "  --step S      characters advanced per tick (default 2)\n"
    "  URL           fetch the page over HTTP or HTTPS, as the ticker does, instead\n"
    "                of --file; whatever follows a \"#\" is not sent\n"
    "  --proxy HOST[:PORT]   fetch through an HTTP proxy (port 80 unless given)\n"
    "  --proxy-port PORT     the proxy's port when HOST names none\n"
    "  --user U, --password P  Basic authorization\n"
    "  --log         write the exchange's log lines to standard error\n"
    "  --help        this text;  --version  the program's version\n"
    "Every feed the page declares is named on standard error, a line \"feed: URL\"\n"
    "each, so it can be added to the ticker's list.\n"
    "A page that cannot be fetched: the ticker's message on standard error, exit 1.\n"
    "A wrong command line: exit 2.\n";

struct Options {
    std::optional<std::string> file;
    std::optional<std::string> charset;
    std::optional<std::string> url;  // the page's address, once fetching is offered
    std::optional<long long> frames;
    std::optional<int> step;
    std::string proxyHost;
    std::string proxyPort = "80";
    std::string user;
    std::string password;
    bool log = false;
    bool classic = false;
    bool links = false;
    bool help = false;
    bool version = false;
};

struct UsageError {
    std::string message;
};

template <typename T>
T ParseNumber(std::string_view option, std::string_view text, T min) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < min)
        throw UsageError{std::string(option) + " needs a whole number of at least " +
                         std::to_string(min) + ", not \"" + std::string(text) + "\""};
    return value;
}

Options ParseArguments(int argc, char** argv) {
    Options options;
    std::optional<std::string> proxyPortGiven, proxyPortInHost;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> std::string_view {
            if (i + 1 >= argc)
                throw UsageError{std::string(arg) + " needs a value"};
            return argv[++i];
        };
        if (arg == "--file") {
            if (options.file)
                throw UsageError{"--file given twice"};
            options.file = std::string(value());
        } else if (arg == "--charset") {
            options.charset = std::string(value());
            std::string probe;
            if (!zelvo::text::DecodeAs("", *options.charset, probe))
                throw UsageError{"unknown charset \"" + *options.charset + "\""};
        } else if (arg == "--frames") {
            options.frames = ParseNumber<long long>(arg, value(), 0);
        } else if (arg == "--step") {
            options.step = ParseNumber<int>(arg, value(), 1);
        } else if (arg == "--proxy") {
            const std::string proxy(value());
            const auto colon = proxy.rfind(':');
            options.proxyHost = proxy.substr(0, colon);
            if (colon != std::string::npos)
                proxyPortInHost = proxy.substr(colon + 1);
        } else if (arg == "--proxy-port") {
            const std::string_view port = value();
            ParseNumber<unsigned>(arg, port, 1u);
            proxyPortGiven = std::string(port);
        } else if (arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--user") {
            options.user = std::string(value());
        } else if (arg == "--password") {
            options.password = std::string(value());
        } else if (arg == "--log") {
            options.log = true;
        } else if (arg == "--classic") {
            options.classic = true;
        } else if (arg == "--links") {
            options.links = true;
        } else if (arg.starts_with("-")) {
            throw UsageError{"unknown option " + std::string(arg)};
        } else {
            if (options.url)
                throw UsageError{"more than one address given"};
            options.url = std::string(arg);
        }
    }
    if (options.help || options.version)
        return options;
    if (proxyPortGiven && options.proxyHost.empty())
        throw UsageError{"--proxy-port goes with --proxy"};
    // A port written with the host wins, as the ticker's own settings do.
    options.proxyPort = proxyPortInHost.value_or(proxyPortGiven.value_or("80"));
    if (options.url) {
        // A fragment names a place inside the page; it never goes on the wire.
        options.url->resize(std::min(options.url->size(), options.url->find('#')));
    }
    if (!options.file && !options.url)
        throw UsageError{"no page given"};
    if (options.file && options.url)
        throw UsageError{"give either --file PATH or an address, not both"};
    if (!options.url && (!options.proxyHost.empty() || !options.user.empty() || options.log))
        throw UsageError{"--proxy, --user, --password and --log go with an address"};
    if (options.charset && !options.file)
        throw UsageError{"--charset goes with --file"};
    if (options.step && !options.frames)
        throw UsageError{"--step only goes with --frames"};
    if (options.links && options.frames)
        throw UsageError{"give either --links or --frames, not both"};
    return options;
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = "is a directory";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    // A regular file comes in one read of its known size; anything longer
    // (a file still growing, a pipe) follows in blocks until it ends.
    std::error_code sizeError;
    const std::uintmax_t known = std::filesystem::is_regular_file(path, sizeError)
                                     ? std::filesystem::file_size(path, sizeError)
                                     : 0;
    std::size_t want = sizeError ? 0 : static_cast<std::size_t>(known);
    std::string content;
    std::size_t have = 0;
    for (;;) {
        const std::size_t block = want > have ? want - have : std::size_t{64} << 10;
        content.resize(have + block);
        in.read(content.data() + have, static_cast<std::streamsize>(block));
        const auto got = static_cast<std::size_t>(in.gcount());
        have += got;
        // The end is looked for before the string grows: growing past the
        // file's own size would copy it all once more.
        if (got < block || !in || in.peek() == std::char_traits<char>::eof())
            break;
        want = 0;
    }
    content.resize(have);
    if (in.bad()) {
        error = "read error";
        return std::nullopt;
    }
    return content;
}

// Records every caption the strip is given, and when the scroller stops itself.
class RecordingView : public zelvo::app::TTickerView {
public:
    void SetTickerCaption(const std::string& caption) override { captions.push_back(caption); }
    void SetApplicationTitle(const std::string&) override {}
    void SetCaptionTimerEnabled(bool enabled) override { running = enabled; }
    void SetExplainTimerEnabled(bool) override {}
    void ProcessMessages() override {}

    std::vector<std::string> captions;
    bool running = true;
};

// What a page, a feed or a server wrote reaches a terminal with no control
// character left in it: none can move the cursor, retitle the window or turn
// the line around. Into a pipe or a file the text goes as the ticker has it,
// byte for byte.
std::string ForOutput(std::string_view text) {
#ifdef _WIN32
    static const bool terminal = ::_isatty(::_fileno(stdout)) != 0;
#else
    static const bool terminal = ::isatty(::fileno(stdout)) != 0;
#endif
    return terminal ? zelvo::text::TerminalSafe(text) : std::string(text);
}

// "headline<TAB>link" lines for the headlines of the text that have a link.
std::string HeadlineLinks(const std::string& text,
                          const std::vector<zelvo::text::THeadline>& headlines) {
    std::string out;
    for (const zelvo::text::THeadline& h : headlines) {
        const std::size_t from = zelvo::text::ByteOffsetOfChar(text, h.begin);
        const std::size_t to = zelvo::text::ByteOffsetOfChar(text, h.end);
        out += ForOutput(std::string_view(text).substr(from, to - from));
        out += '\t';
        out += ForOutput(h.link);
        out += '\n';
    }
    return out;
}

bool WriteSafe(const std::string& safe) {
    return std::fwrite(safe.data(), 1, safe.size(), stdout) == safe.size() &&
           std::fflush(stdout) == 0;
}

bool WriteAll(const std::string& bytes) {
    return WriteSafe(ForOutput(bytes));
}

void Complain(const std::string& message) {
    std::fprintf(stderr, "zelvo-page: %s\n", zelvo::text::TerminalSafe(message).c_str());
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The text leaves as the ticker has it: no carriage return is added.
    ::_setmode(::_fileno(stdout), _O_BINARY);
#endif
    Options options;
    try {
        options = ParseArguments(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "zelvo-page: %s\n%s", e.message.c_str(), kUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("zelvo-page %s\n", ZELVO_VERSION);
        return 0;
    }
    const zelvo::text::TPageReading reading =
        options.classic ? zelvo::text::TPageReading::Classic : zelvo::text::TPageReading::Headlines;
    std::string tickerText;
    std::vector<zelvo::text::THeadline> headlines;
    std::vector<std::string> feeds;
    bool classic = options.classic;
    if (options.url) {
        // The fetch runs on the ticker's message loop, without a display.
        int qtArgc = 1;
        zelvo::platform::CoreApplication app(qtArgc, argv);
        zelvo::tools::FetchOptions fetch;
        fetch.url = *options.url;
        fetch.proxyHost = options.proxyHost;
        fetch.proxyPort = options.proxyPort;
        fetch.username = options.user;
        fetch.password = options.password;
        fetch.showLog = options.log;
        fetch.reading = reading;
        auto result = zelvo::tools::FetchPage(fetch);
        if (!result.ok) {
            Complain(result.message);
            return 1;
        }
        tickerText = std::move(result.tickerText);
        headlines = std::move(result.headlines);
        feeds = std::move(result.feeds);
        classic = !result.plainText;
    } else {
        std::string error;
        auto page = ReadWholeFile(*options.file, error);
        if (!page) {
            Complain("cannot read " + *options.file + ": " + error);
            return 2;
        }
        zelvo::text::TPageRead read = zelvo::text::ReadReceivedPage(
            std::move(*page), {}, {}, reading, options.charset.value_or(""));
        tickerText = std::move(read.line.text);
        headlines = std::move(read.line.headlines);
        feeds = std::move(read.feeds);
        classic = read.classic;
    }
    for (const std::string& feed : feeds)
        std::fprintf(stderr, "feed: %s\n", zelvo::text::TerminalSafe(feed).c_str());

    if (options.links)
        return WriteSafe(HeadlineLinks(tickerText, headlines)) ? 0 : 1;
    if (!options.frames)
        return WriteAll(tickerText) ? 0 : 1;

    zelvo::config::Live().ScrollStep = options.step.value_or(2);
    RecordingView view;
    zelvo::app::TTickerScroller scroller(view);
    scroller.TickerText = tickerText;
    scroller.PlainText = !classic;
    std::string out;
    long long printed = 0;
    while (printed < *options.frames && view.running) {
        view.captions.clear();
        scroller.timerCaptionTimer();
        for (const auto& caption : view.captions) {
            if (printed == *options.frames)
                break;
            out += caption;
            out += '\n';
            ++printed;
        }
        if (out.size() >= (1u << 16)) {
            if (!WriteAll(out))
                return 1;
            out.clear();
        }
    }
    return WriteAll(out) ? 0 : 1;
}
