// The help commands open the HTML guide in the desktop's browser, at the
// anchor of the topic asked for.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include "platform/Shell.h"
#include "support/DialogRecorder.h"
#include "support/Files.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace zelvo::platform {
namespace {

using testing::DialogRecorder;
using testing::ScopedEnv;
using testing::Slurp;
using testing::TempDir;

// A desktop opener on PATH that writes each argument it gets on a line.
class RecordingOpener {
public:
    RecordingOpener() : path_("PATH", dir_.Path() + ":" + std::getenv("PATH")) {
        const std::string script = dir_ / "xdg-open";
        std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >'"
                              << Record() << ".part' && mv '" << Record() << ".part' '" << Record()
                              << "'\n";
        ::chmod(script.c_str(), 0755);
    }
    std::string Record() const { return dir_ / "opened"; }
    // The arguments of the one call, once it has happened.
    std::string Arguments() const {
        testing::WaitFor([&] { return !Slurp(Record()).empty(); }, 5000);
        return Slurp(Record());
    }

private:
    TempDir dir_;
    ScopedEnv path_;
};

std::string MakeGuide(const TempDir& where, const std::string& folder) {
    const std::string dir = where / folder;
    ::mkdir(dir.c_str(), 0755);
    std::ofstream(dir + "/index.html") << "<html></html>\n";
    return dir + "/index.html";
}

TEST(HelpLaunch, OpensTheGuideAtEachTopicsAnchorAsOneFileUrl) {
    DialogRecorder boxes;
    TempDir docs;
    {
        RecordingOpener opener;
        const std::string guide = MakeGuide(docs, "help");
        EXPECT_TRUE(WinHelp(guide, 1001));
        EXPECT_EQ("file://" + guide + "#topic-1001\n", opener.Arguments());
    }
    {
        // Blanks and other characters a URL cannot carry are escaped, so the
        // browser gets the one address it can open.
        RecordingOpener opener;
        const std::string guide = MakeGuide(docs, "my help #2");
        EXPECT_TRUE(WinHelp(guide, 1000));
        EXPECT_EQ("file://" + docs.Path() + "/my%20help%20%232/index.html#topic-1000\n",
                  opener.Arguments());
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(HelpLaunch, AMissingGuideIsReportedAndNothingIsStarted) {
    DialogRecorder boxes;
    RecordingOpener opener;
    TempDir docs;
    const std::string missing = docs / "help/index.html";
    EXPECT_FALSE(WinHelp(missing, 1001));
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("Cannot find the " + missing + " file.", boxes.boxes[0].text);
    EXPECT_EQ("", Slurp(opener.Record()));
}

}  // namespace
}  // namespace zelvo::platform
