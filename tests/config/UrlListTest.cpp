#include "config/UrlList.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include "Unprivileged.h"
#endif
#include "support/Files.h"
#include "support/TempDir.h"

namespace zelvo::config {
namespace {

using Lines = std::vector<std::string>;

using testing::Slurp;
using testing::WriteFile;

TEST(UrlListParse, EveryLineEndCountsAndBlankLinesStay) {
    EXPECT_EQ(ParseUrlList("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(ParseUrlList("a\n\nb\r\n\r\nc\r\r"), (Lines{"a", "", "b", "", "c", ""}));
    // A final line break adds no entry, whichever kind it is.
    EXPECT_EQ(ParseUrlList("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(ParseUrlList("a\n"), (Lines{"a"}));
    EXPECT_EQ(ParseUrlList("a\r"), (Lines{"a"}));
    EXPECT_EQ(ParseUrlList("\n"), (Lines{""}));
    EXPECT_EQ(ParseUrlList(""), Lines{});
    // LF CR is two line ends, not one.
    EXPECT_EQ(ParseUrlList("a\n\rb"), (Lines{"a", "", "b"}));
}

TEST(UrlListParse, NulEndsTheText) {
    EXPECT_EQ(ParseUrlList(std::string_view("a\r\nb\0c\r\nd\r\n", 12)), (Lines{"a", "b"}));
    EXPECT_EQ(ParseUrlList(std::string_view("\0a", 2)), Lines{});
}

TEST(UrlListFormat, EveryLineEndsInCrLf) {
    EXPECT_EQ(FormatUrlList({"", "a", "b"}), "\r\na\r\nb\r\n");
    EXPECT_EQ(FormatUrlList({}), "");
    EXPECT_EQ(ParseUrlList(FormatUrlList({"", "x", ""})), (Lines{"", "x", ""}));
}

TEST(UrlListOrder, CaseInsensitiveWithBlankFirst) {
    EXPECT_EQ(CompareUrlText("ABC", "abc"), 0);
    EXPECT_LT(CompareUrlText("abc", "ABD"), 0);
    EXPECT_LT(CompareUrlText("", "a"), 0);
    EXPECT_LT(CompareUrlText("ab", "abc"), 0);
    // Accented capitals fold onto their small letters.
    EXPECT_EQ(CompareUrlText("\xC9t\xE9", "\xE9T\xC9"), 0);
    EXPECT_EQ(SortUrls({"http://b/", "HTTP://A/", "", "http://c/", "http://a/"}),
              (Lines{"", "HTTP://A/", "http://a/", "http://b/", "http://c/"}));
}

TEST(UrlListOrder, AnEqualEntryGoesAfterItsEquals) {
    Lines sorted{"a", "B", "b", "c"};
    EXPECT_EQ(SortedInsertPosition(sorted, "b"), 3u);
    EXPECT_EQ(SortedInsertPosition(sorted, "A"), 1u);
    EXPECT_EQ(SortedInsertPosition(sorted, ""), 0u);
    EXPECT_EQ(SortedInsertPosition(sorted, "z"), 4u);
    EXPECT_EQ(SortedInsertPosition({}, "z"), 0u);
}

TEST(UrlListBuiltIns, FourPlainHttpAddressesEndingWithTheMakersPage) {
    const auto& urls = BuiltInUrls();
    ASSERT_EQ(urls.size(), 4u);
    for (const auto& url : urls)
        EXPECT_EQ(url.rfind("http://", 0), 0u) << url;
    EXPECT_EQ(DefaultSiteURL(), urls[0]);
    EXPECT_EQ(MakerHomePage(), "http://www.quorvane.com/");
}

// The list shipped beside the program holds the same four addresses, so a
// fresh install and a missing file show the same sites.
TEST(UrlListBuiltIns, TheShippedListHoldsTheSameAddresses) {
    const char* source = std::getenv("ZELVO_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::string shipped;
    for (const char* place : {"/data/WebURLs.txt", "/resources/WebURLs.txt"})
        if (std::filesystem::exists(std::string(source) + place))
            shipped = std::string(source) + place;
    if (shipped.empty())
        GTEST_SKIP() << "no URL list is shipped in this tree";
    EXPECT_EQ(SortUrls(ReadUrlFile(shipped)), SortUrls(BuiltInUrls()));
    EXPECT_EQ(Slurp(shipped), FormatUrlList(ReadUrlFile(shipped)));  // CR LF line ends
}

TEST(UrlFile, ExistsForFileAndDirectory) {
    testing::TempDir dir;
    EXPECT_FALSE(UrlFileExists(dir / "WebURLs.txt"));
    WriteFile(dir / "WebURLs.txt", "x\r\n");
    EXPECT_TRUE(UrlFileExists(dir / "WebURLs.txt"));
    std::filesystem::create_directory(dir / "sub");
    EXPECT_TRUE(UrlFileExists(dir / "sub"));
}

TEST(UrlFile, ReadParsesAndRefusesDirectories) {
    testing::TempDir dir;
    WriteFile(dir / "WebURLs.txt", "b\nA\n\n");
    EXPECT_EQ(ReadUrlFile(dir / "WebURLs.txt"), (Lines{"b", "A", ""}));
    EXPECT_THROW(ReadUrlFile(dir / "missing.txt"), std::runtime_error);
    std::filesystem::create_directory(dir / "d");
    EXPECT_THROW(ReadUrlFile(dir / "d"), std::runtime_error);
}

TEST(UrlFile, RewriteReplacesContentLeavingNoTemporaryFile) {
    testing::TempDir dir;
    const std::string path = dir / "WebURLs.txt";
    WriteFile(path, "old\n");
    WriteUrlFile(path, {"", "a", "b"});
    EXPECT_EQ(Slurp(path), "\r\na\r\nb\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

// A directory in the file's place stays as it is, with what it holds.
TEST(UrlFile, ADirectoryInTheFilesPlaceIsNotReplaced) {
    testing::TempDir dir;
    const std::string path = dir / "WebURLs.txt";
    std::filesystem::create_directory(path);
    WriteFile(path + "/inner", "x");
    EXPECT_THROW(WriteUrlFile(path, {"new"}), std::runtime_error);
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(Slurp(path + "/inner"), "x");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

#ifndef _WIN32
// File modes and a folder the user may not write, set with the POSIX calls:
// Windows keeps its access rules in lists of its own.
TEST(UrlFile, RewriteKeepsPermissions) {
    testing::TempDir dir;
    const std::string path = dir / "WebURLs.txt";
    WriteFile(path, "old\n");
    ::chmod(path.c_str(), 0640);
    WriteUrlFile(path, {"", "a", "b"});
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(UrlFile, FailedRewriteLeavesTheOldFileWhole) {
    testing::TempDir dir;
    const std::string path = dir / "WebURLs.txt";
    WriteFile(path, "keep\r\nme\r\n");
    ::chmod(path.c_str(), 0644);
    // A directory the user may read but not write takes no temporary file.
    ::chmod(dir.Path().c_str(), 0555);
    {
        testing::Unprivileged user;
        if (user.Bound()) {
            EXPECT_THROW(WriteUrlFile(path, {"new"}), std::runtime_error);
        }
    }
    ::chmod(dir.Path().c_str(), 0700);
    EXPECT_EQ(Slurp(path), "keep\r\nme\r\n");
}
#endif

}  // namespace
}  // namespace zelvo::config
