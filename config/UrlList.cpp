#include "config/UrlList.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/FileReplace.h"

namespace zelvo::config {
namespace {

// Windows-1252 lower case: ASCII letters and the accented capitals 0xC0..0xDE
// except the multiplication sign, plus the three capitals placed elsewhere.
unsigned char Lower(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<unsigned char>(c + 32);
    switch (c) {
        case 0x8A:
            return 0x9A;  // S caron
        case 0x8C:
            return 0x9C;  // OE
        case 0x8E:
            return 0x9E;  // Z caron
        case 0x9F:
            return 0xFF;  // Y diaeresis
        default:
            return c;
    }
}

}  // namespace

const std::vector<std::string>& BuiltInUrls() {
    static const std::vector<std::string> urls = {
        // Feeds whose plain http address answers with the feed itself or a
        // relocation to https, so a fresh install shows news at once.
        "http://feeds.bbci.co.uk/news/rss.xml",
        "http://feeds.npr.org/1001/rss.xml",
        "http://feeds.bbci.co.uk/sport/rss.xml",
        "http://www.quorvane.com/",
    };
    return urls;
}

const std::string& DefaultSiteURL() {
    return BuiltInUrls()[0];
}
const std::string& MakerHomePage() {
    return BuiltInUrls()[3];
}

bool UrlFileExists(const std::string& path) {
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (ec)
        return false;
    // A directory of that name counts too: the name is taken, whatever holds it.
    return std::filesystem::exists(status);
}

std::vector<std::string> ParseUrlList(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string FormatUrlList(const std::vector<std::string>& entries) {
    std::string out;
    for (const auto& e : entries) {
        out += e;
        out += "\r\n";
    }
    return out;
}

int CompareUrlText(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char la = Lower(static_cast<unsigned char>(a[i]));
        unsigned char lb = Lower(static_cast<unsigned char>(b[i]));
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

size_t SortedInsertPosition(const std::vector<std::string>& sorted, std::string_view entry) {
    auto it = std::upper_bound(
        sorted.begin(), sorted.end(), entry,
        [](std::string_view value, const std::string& e) { return CompareUrlText(value, e) < 0; });
    return static_cast<size_t>(it - sorted.begin());
}

std::vector<std::string> SortUrls(std::vector<std::string> entries) {
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const std::string& a, const std::string& b) { return CompareUrlText(a, b) < 0; });
    return entries;
}

std::vector<std::string> ReadUrlFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw std::runtime_error("Cannot open file " + path + ". It is a directory");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("Cannot open file " + path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw std::runtime_error("Read error on file " + path);
    return ParseUrlList(text);
}

void WriteUrlFile(const std::string& path, const std::vector<std::string>& entries) {
    platform::ReplaceFileContents(path, FormatUrlList(entries));
}

}  // namespace zelvo::config
