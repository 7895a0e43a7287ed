// The autostart entry: written into a folder made for it, removed on demand.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <stdexcept>

#include "config/Autostart.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace zelvo::config {
namespace {

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
}

TEST(AutostartTest, TheFoldersItMakesAreTheUsersAloneAndTheEntryComesAndGoes) {
    testing::TempDir home;
    testing::ScopedEnv config("XDG_CONFIG_HOME", home / "config");
    const mode_t oldMask = ::umask(022);
    SetAutostart(true, "/opt/zelvo/zelvo");
    ::umask(oldMask);
    EXPECT_EQ(ModeOf(home / "config"), 0700u);
    EXPECT_EQ(ModeOf(home / "config/autostart"), 0700u);
    EXPECT_EQ(AutostartEntryPath(), home / "config/autostart/zelvo.desktop");
    EXPECT_TRUE(AutostartEnabled());
    SetAutostart(false, "");
    EXPECT_FALSE(AutostartEnabled());
}

TEST(AutostartTest, AFileWhereTheFolderBelongsIsReported) {
    testing::TempDir home;
    testing::ScopedEnv config("XDG_CONFIG_HOME", home.Path());
    std::ofstream(home / "autostart") << "not a folder";
    EXPECT_THROW(SetAutostart(true, "/opt/zelvo/zelvo"), std::runtime_error);
}

}  // namespace
}  // namespace zelvo::config
