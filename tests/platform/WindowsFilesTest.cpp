// Rewriting files and the program's folders as the Windows build does them:
// wide paths, either separator, and no mode bits to carry.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/FileReplace.h"
#include "platform/Paths.h"
#include "platform/win32/WideText.h"
#include "support/Files.h"
#include "support/TempDir.h"

namespace zelvo::platform {
namespace {

namespace fs = std::filesystem;
using testing::Slurp;
using testing::TempDir;
using testing::WriteFile;

std::size_t Entries(const std::string& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir))
        ++n;
    return n;
}

TEST(WindowsFileReplace, WritesAndReplacesWholeLeavingNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir / "WebPage.txt";
    ReplaceFileContents(path, "first\r\n", FileAccess::Private);
    EXPECT_EQ(Slurp(path), "first\r\n");
    ReplaceFileContents(path, std::string("second\0with a NUL", 17));
    EXPECT_EQ(Slurp(path), std::string("second\0with a NUL", 17));
    ReplaceFileContents(path, "");
    EXPECT_EQ(Slurp(path), "");
    EXPECT_EQ(Entries(dir.Path()), 1u);
}

TEST(WindowsFileReplace, NamesOutsideTheAnsiCodePageAreKept) {
    TempDir dir;
    const std::string path = dir / "\xE6\x96\xB0\xE3\x81\x97\xE3\x81\x84-\xC3\xA9.txt";
    ReplaceFileContents(path, "x");
    EXPECT_TRUE(fs::exists(win32::Wide(path)));
}

TEST(WindowsFileReplace, AFailureThrowsWithThePathAndLeavesTheOldFile) {
    TempDir dir;
    const std::string missing = dir / "missing/WebPage.txt";
    try {
        ReplaceFileContents(missing, "x");
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const FileReplaceError& e) {
        const std::string what = e.what();
        EXPECT_EQ(what.rfind("Cannot create file " + missing + ". ", 0), 0u) << what;
        EXPECT_GT(what.size(), ("Cannot create file " + missing + ". ").size()) << "a reason";
        EXPECT_EQ(what.find('\n'), std::string::npos) << what;
    }
    // A folder where the file should be stays a folder, and nothing is left beside it.
    fs::create_directory(dir / "folder");
    WriteFile(dir / "folder/inside.txt", "kept");
    EXPECT_THROW(ReplaceFileContents(dir / "folder", "x"), FileReplaceError);
    EXPECT_EQ(Slurp(dir / "folder/inside.txt"), "kept");
    EXPECT_EQ(Entries(dir.Path()), 1u);
}

TEST(WindowsFolders, MakesEveryMissingFolderWhicheverSeparator) {
    TempDir dir;
    const std::string deep = dir.Path() + "\\a/b\\c\\";
    EXPECT_TRUE(MakePrivateFolders(deep));
    EXPECT_TRUE(fs::is_directory(dir / "a/b/c"));
    EXPECT_TRUE(MakePrivateFolders(deep)) << "folders that exist are no failure";
    WriteFile(dir / "file", "");
    EXPECT_FALSE(MakePrivateFolders(dir / "file\\below"));
}

TEST(WindowsFolders, TheProgramsPlaceEndsWithTheSeparator) {
    const std::string dir = ExeDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), kPathSeparator);
    const std::string exe = ExePath();
    EXPECT_EQ(exe.rfind(dir, 0), 0u) << exe;
    EXPECT_EQ(fs::path(exe).filename(), "platform_base_tests.exe");
    EXPECT_EQ(SettingsDir(), ConfigHome() + "Quorvane\\");
}

TEST(WindowsFolders, AFolderOfTheUsersOwnKeepsEverythingBesideTheProgram) {
    TempDir exe;
    const std::string dir = exe.Path() + "\\";
    for (const std::string& given : {exe.Path(), dir, exe.Path() + "/", exe.Path() + "\\/\\"}) {
        const ProgramFolders f = FoldersFor(given);
        EXPECT_EQ(f.Page, dir) << given;
        EXPECT_EQ(f.UrlList, dir);
        EXPECT_EQ(f.Help, dir + "help\\");
        EXPECT_EQ(f.ShippedUrlList, "");
    }
    EXPECT_EQ(Entries(exe.Path()), 0u) << "asking leaves nothing behind";
}

TEST(WindowsFolders, AFolderTheUserCannotWriteSendsTheFilesToApplicationData) {
    TempDir exe;
    const std::string dir = exe / "not-there\\";
    const ProgramFolders f = FoldersFor(dir);
    EXPECT_EQ(f.Page, SettingsDir() + "Zelvo\\");
    EXPECT_EQ(f.UrlList, f.Page);
    EXPECT_EQ(f.Help, dir + "help\\");
    EXPECT_EQ(f.ShippedUrlList, dir + "WebURLs.txt");
}

TEST(WindowsFolders, TheShippedListIsCopiedOnceAndNeverOverTheUsers) {
    TempDir dir;
    WriteFile(dir / "shipped.txt", "http://127.0.0.1/\r\n");
    const ProgramFolders f{dir / "state\\", dir / "list\\", "", dir / "shipped.txt"};
    ASSERT_TRUE(PrepareFolders(f));
    EXPECT_EQ(Slurp(dir / "list/WebURLs.txt"), "http://127.0.0.1/\r\n");
    EXPECT_TRUE(fs::is_directory(dir / "state"));
    WriteFile(dir / "list/WebURLs.txt", "mine");
    ASSERT_TRUE(PrepareFolders(f));
    EXPECT_EQ(Slurp(dir / "list/WebURLs.txt"), "mine");
}

}  // namespace
}  // namespace zelvo::platform
