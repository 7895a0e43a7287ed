// Where the program keeps its files: beside itself when that folder is the
// user's, in the per-user folders when it is installed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Paths.h"
#include "support/Files.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace zelvo::platform {
namespace {

using testing::ScopedEnv;
using testing::Slurp;
using testing::TempDir;

class ProgramFiles : public ::testing::Test {
protected:
    ProgramFiles()
        : home_("HOME", home.Path()),
          state_("XDG_STATE_HOME", home / "state"),
          config_("XDG_CONFIG_HOME", home / "config") {}

    // A program folder the user may not write, as an installed one is.
    std::string ReadOnlyExeDir() {
        const std::string dir = exe / "bin";
        std::filesystem::create_directories(dir);
        ::chmod(dir.c_str(), 0555);
        return dir;
    }
    ~ProgramFiles() override { ::chmod((exe / "bin").c_str(), 0755); }

    TempDir home;
    TempDir exe;

private:
    ScopedEnv home_;
    ScopedEnv state_;
    ScopedEnv config_;
};

TEST_F(ProgramFiles, AFolderOfTheUsersOwnKeepsEverythingBesideTheProgram) {
    const ProgramFolders f = FoldersFor(exe.Path());
    const std::string dir = exe.Path() + "/";
    EXPECT_EQ(f.Page, dir);
    EXPECT_EQ(f.UrlList, dir);
    EXPECT_EQ(f.Help, dir + "help/");
    EXPECT_EQ(f.ShippedUrlList, "");
    // A trailing separator or several make no difference.
    EXPECT_EQ(FoldersFor(exe.Path() + "//").Page, dir);
}

TEST_F(ProgramFiles, AnInstalledProgramUsesTheUsersStateAndConfigurationFolders) {
    const ProgramFolders f = FoldersFor(ReadOnlyExeDir());
    EXPECT_EQ(f.Page, home / "state/zelvo/");
    EXPECT_EQ(f.UrlList, home / "config/Quorvane/");
    EXPECT_EQ(f.UrlList, SettingsDir());
    EXPECT_NE(f.Help.find("/help/"), std::string::npos) << f.Help;
    EXPECT_NE(f.ShippedUrlList.find("/WebURLs.txt"), std::string::npos) << f.ShippedUrlList;
}

TEST_F(ProgramFiles, WithoutTheVariablesTheFoldersAreUnderHome) {
    for (const char* value : {"", "relative/state"}) {
        ScopedEnv state("XDG_STATE_HOME", value);
        ScopedEnv config("XDG_CONFIG_HOME", value);
        const ProgramFolders f = FoldersFor(ReadOnlyExeDir());
        EXPECT_EQ(f.Page, home / ".local/state/zelvo/") << value;
        EXPECT_EQ(f.UrlList, home / ".config/Quorvane/") << value;
    }
}

TEST_F(ProgramFiles, TheInstallationsProgramFolderIsNeverWrittenEvenByItsOwner) {
    EXPECT_EQ(FoldersFor("/usr/bin").Page, home / "state/zelvo/");
    EXPECT_EQ(FoldersFor("/usr/local/bin/").UrlList, home / "config/Quorvane/");
}

TEST_F(ProgramFiles, AFreshInstallationStartsFromTheShippedList) {
    ProgramFolders f = FoldersFor(ReadOnlyExeDir());
    f.ShippedUrlList = exe / "shipped.txt";
    std::ofstream(f.ShippedUrlList) << "http://127.0.0.1:9/a.html\r\n";
    ASSERT_TRUE(PrepareFolders(f));
    EXPECT_TRUE(std::filesystem::is_directory(f.Page));
    EXPECT_EQ(Slurp(f.UrlList + "WebURLs.txt"), "http://127.0.0.1:9/a.html\r\n");

    // The user's own list, edited since, is never replaced.
    std::ofstream(f.UrlList + "WebURLs.txt") << "http://127.0.0.1:9/mine.html\r\n";
    ASSERT_TRUE(PrepareFolders(f));
    EXPECT_EQ(Slurp(f.UrlList + "WebURLs.txt"), "http://127.0.0.1:9/mine.html\r\n");
}

TEST_F(ProgramFiles, NoShippedListLeavesTheListMissing) {
    ProgramFolders f = FoldersFor(ReadOnlyExeDir());
    f.ShippedUrlList = exe / "not-shipped.txt";
    ASSERT_TRUE(PrepareFolders(f));
    EXPECT_FALSE(std::filesystem::exists(f.UrlList + "WebURLs.txt"));
}

TEST_F(ProgramFiles, AFolderThatCannotBeMadeIsReported) {
    std::ofstream(home / "state") << "a file where a folder should be";
    EXPECT_FALSE(PrepareFolders(FoldersFor(ReadOnlyExeDir())));
}

// The state folder holds the log and the page text: only the user may look
// in, whatever the umask. Folders that were there already are the user's.
TEST_F(ProgramFiles, FoldersTheProgramMakesAreTheUsersAlone) {
    const mode_t oldMask = ::umask(022);
    ::mkdir((home / "config").c_str(), 0755);
    const ProgramFolders f = FoldersFor(ReadOnlyExeDir());
    const bool made = PrepareFolders(f);
    ::umask(oldMask);
    ASSERT_TRUE(made);
    auto mode = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
    };
    EXPECT_EQ(mode(home / "state"), 0700u);
    EXPECT_EQ(mode(f.Page), 0700u);
    EXPECT_EQ(mode(f.UrlList), 0700u);
    EXPECT_EQ(mode(home / "config"), 0755u);
}

}  // namespace
}  // namespace zelvo::platform
