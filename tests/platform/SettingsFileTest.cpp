#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/SettingsFile.h"
#include "support/Files.h"
#include "support/TempDir.h"

using zelvo::platform::SettingsError;
using zelvo::platform::SettingsFile;
using zelvo::testing::TempDir;

using zelvo::testing::Slurp;
using zelvo::testing::WriteFile;

TEST(SettingsFileStore, CreatesFolderAndPrivateFileWhenMissing) {
    TempDir dir;
    SettingsFile file(dir / "Quorvane/Zelvo.conf");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "Quorvane/Zelvo.conf").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    file.Write("Zelvo", "Password", "secret");
    ASSERT_EQ(::stat((dir / "Quorvane/Zelvo.conf").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_FALSE(file.Read("Zelvo", "Missing"));
    EXPECT_FALSE(file.Read("Nowhere", "Password"));
}

TEST(SettingsFileStore, EveryTextRoundTripsByteForByte) {
    TempDir dir;
    SettingsFile file(dir / "Zelvo.conf");
    const std::string tricky[] = {
        "",         "  both ends  ", "back\\slash\\n",    "cr\rlf\nend\r\n",
        "=equals=", "[Zelvo]",       "\xA0\xFF\x80 high", "\\r literal"};
    int i = 0;
    for (const auto& value : tricky)
        file.Write("Zelvo", "Value" + std::to_string(i++), value);
    SettingsFile again(dir / "Zelvo.conf");
    i = 0;
    for (const auto& value : tricky)
        EXPECT_EQ(again.Read("Zelvo", "Value" + std::to_string(i++)).value_or("<missing>"), value);
}

TEST(SettingsFileStore, ATextEndsAtItsFirstNul) {
    TempDir dir;
    SettingsFile file(dir / "Zelvo.conf");
    file.Write("Zelvo", "Name", std::string("abc\0def", 7));
    EXPECT_EQ(file.Read("Zelvo", "Name").value(), "abc");
}

TEST(SettingsFileStore, NamesMatchInAnyCaseAndKeepTheirFirstSpelling) {
    TempDir dir;
    SettingsFile file(dir / "Zelvo.conf");
    file.Write("Zelvo2", "TickerTop", "5");
    file.Write("ZELVO2", "tickertop", "7");
    EXPECT_EQ(file.Read("zelvo2", "TICKERTOP").value(), "7");
    EXPECT_EQ(Slurp(dir / "Zelvo.conf"), "[Zelvo2]\nTickerTop=7\n");
}

TEST(SettingsFileStore, DamagedAndForeignLinesAreSkippedAndKeptByWrites) {
    TempDir dir;
    const std::string text =
        "orphan=1\n[Zelvo\ngarbage line\n\x01\x02\n[Zelvo]\r\n=novalue\n; "
        "comment=x\nFontSize=10\r\nFontName= Arial \n[broken\nTickerTop=5\n";
    WriteFile(dir / "Zelvo.conf", text);
    SettingsFile file(dir / "Zelvo.conf");
    EXPECT_EQ(file.Read("Zelvo", "FontSize").value(), "10");
    EXPECT_EQ(file.Read("Zelvo", "FontName").value(), " Arial ");
    EXPECT_FALSE(file.Read("Zelvo", "orphan"));
    EXPECT_FALSE(file.Read("Zelvo", "TickerTop"));  // under the damaged header
    file.Write("Zelvo", "FontSize", "12");
    EXPECT_EQ(file.Read("Zelvo", "FontName").value(), " Arial ");
    std::string expected = text;
    expected.replace(expected.find("FontSize=10"), 11, "FontSize=12");
    EXPECT_EQ(Slurp(dir / "Zelvo.conf"), expected);
}

// A header that lost its "]" must not make the next copy's values read as
// the previous section's, and a write must not make that permanent.
TEST(SettingsFileStore, ADamagedHeaderStartsNoSection) {
    TempDir dir;
    const std::string text =
        "[Zelvo]\nTickerTop=700\n\n[Zelvo2\nTickerTop=0\nFontSize=12\n\n[Zelvo3]\n"
        "TickerTop=22\n";
    WriteFile(dir / "Zelvo.conf", text);
    SettingsFile file(dir / "Zelvo.conf");
    EXPECT_EQ(file.Read("Zelvo", "TickerTop").value(), "700");
    EXPECT_FALSE(file.Read("Zelvo", "FontSize"));
    EXPECT_FALSE(file.Read("Zelvo2", "TickerTop"));
    EXPECT_EQ(file.Read("Zelvo3", "TickerTop").value(), "22");

    file.Write("Zelvo", "TickerLeft", "4");
    file.Write("Zelvo2", "TickerTop", "22");
    EXPECT_EQ(Slurp(dir / "Zelvo.conf"),
              "[Zelvo]\nTickerTop=700\nTickerLeft=4\n\n[Zelvo2\nTickerTop=0\nFontSize=12\n\n"
              "[Zelvo3]\nTickerTop=22\n\n[Zelvo2]\nTickerTop=22\n");
    EXPECT_EQ(file.Read("Zelvo", "TickerTop").value(), "700");
    EXPECT_EQ(file.Read("Zelvo2", "TickerTop").value(), "22");
    EXPECT_FALSE(file.Read("Zelvo2", "FontSize"));
}

TEST(SettingsFileStore, OfAValueWrittenTwiceTheLaterCountsAndIsTheOneChanged) {
    TempDir dir;
    WriteFile(dir / "Zelvo.conf",
              "[Zelvo]\nFontSize=8\n[Other]\nFontSize=1\n[zelvo]\nfontsize=9\n");
    SettingsFile file(dir / "Zelvo.conf");
    EXPECT_EQ(file.Read("Zelvo", "FontSize").value(), "9");
    file.Write("ZELVO", "FontSize", "10");
    file.Write("Zelvo", "FontName", "Sans");
    EXPECT_EQ(Slurp(dir / "Zelvo.conf"),
              "[Zelvo]\nFontSize=8\n[Other]\nFontSize=1\n[zelvo]\nfontsize=10\nFontName=Sans\n");
}

TEST(SettingsFileStore, AFolderThatCannotBeMadeStillReadsAndRefusesWrites) {
    TempDir dir;
    WriteFile(dir / "file", "x");
    SettingsFile file(dir / "file/Quorvane/Zelvo.conf");
    EXPECT_FALSE(file.Read("Zelvo", "Border"));
    EXPECT_THROW(file.Write("Zelvo", "Border", "1"), SettingsError);
}

TEST(SettingsDocumentText, EveryLineEndsWithALineFeed) {
    zelvo::platform::SettingsDocument doc("[Zelvo]\nA=1");
    EXPECT_EQ(doc.Text(), "[Zelvo]\nA=1\n");
    doc.Set("Zelvo2", "B", "x\ny");
    EXPECT_EQ(doc.Text(), "[Zelvo]\nA=1\n\n[Zelvo2]\nB=x\\ny\n");
    EXPECT_EQ(doc.Read("zelvo2", "b").value(), "x\ny");
    EXPECT_EQ(zelvo::platform::SettingsDocument().Text(), "");
}

TEST(SettingsFileStore, AFailedWriteIsReportedAndLeavesTheFileWhole) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes through directory permissions";
    TempDir dir;
    ::mkdir((dir / "ro").c_str(), 0700);
    SettingsFile file(dir / "ro/Zelvo.conf");
    file.Write("Zelvo", "A", "1");
    ::chmod((dir / "ro").c_str(), 0500);
    EXPECT_THROW(file.Write("Zelvo", "B", "2"), SettingsError);
    ::chmod((dir / "ro").c_str(), 0700);
    EXPECT_EQ(file.Read("Zelvo", "A").value(), "1");
}

TEST(SettingsFileStore, AWriteThatCannotReplaceTheFileIsReported) {
    TempDir dir;
    SettingsFile file(dir / "Zelvo.conf");
    file.Write("Zelvo", "A", "1");
    // The temporary file's name is taken by a directory: the write cannot go through.
    ::mkdir((dir / "Zelvo.conf.tmp").c_str(), 0700);
    try {
        file.Write("Zelvo", "Border", "0");
        FAIL() << "the write was reported as done";
    } catch (const SettingsError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Border'");
    }
    EXPECT_EQ(file.Read("Zelvo", "A").value(), "1");
}

TEST(SettingsFileSharing, CopiesWritingAtOnceLoseNothing) {
    TempDir dir;
    const std::string path = dir / "Zelvo.conf";
    SettingsFile(path).Write("Zelvo", "RunningInstances", "1");
    constexpr int kCopies = 3;
    constexpr int kValues = 40;
    std::vector<pid_t> children;
    for (int c = 0; c < kCopies; ++c) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int status = 0;
            try {
                SettingsFile mine(path);
                std::string section = "Zelvo" + std::to_string(c + 1);
                for (int v = 0; v < kValues; ++v)
                    mine.Write(section, "Value" + std::to_string(v), std::to_string(c * 1000 + v));
            } catch (...) {
                status = 1;
            }
            ::_exit(status);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SettingsFile file(path);
    EXPECT_EQ(file.Read("Zelvo", "RunningInstances").value_or(""), "1");
    for (int c = 0; c < kCopies; ++c)
        for (int v = 0; v < kValues; ++v)
            EXPECT_EQ(file.Read("Zelvo" + std::to_string(c + 1), "Value" + std::to_string(v))
                          .value_or("lost"),
                      std::to_string(c * 1000 + v));
}

TEST(SettingsFileSharing, ACopyKilledWhileWritingLeavesAReadableFile) {
    TempDir dir;
    const std::string path = dir / "Zelvo.conf";
    SettingsFile(path).Write("Zelvo", "RunningInstances", "2");
    for (int round = 0; round < 5; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(ready[0]);
            SettingsFile mine(path);
            for (long i = 0;; ++i) {
                mine.Write("Zelvo2", "Counter" + std::to_string(i % 50),
                           std::string(200, 'x') + std::to_string(i));
                if (i == 3)
                    (void)!::write(ready[1], "r", 1);
            }
        }
        ::close(ready[1]);
        char c;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ::close(ready[0]);
        ::usleep(static_cast<useconds_t>(1000 * (round + 1)));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);

        SettingsFile file(path);
        EXPECT_EQ(file.Read("Zelvo", "RunningInstances").value_or("torn"), "2");
        std::string text = Slurp(path);
        EXPECT_EQ(text.back(), '\n');
        file.Write("Zelvo", "After", "ok");  // the lock was released with the dead copy
        EXPECT_EQ(file.Read("Zelvo", "After").value_or(""), "ok");
    }
}
