#include "tray/VryTrayIconAnimation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TrayFakes.h"
#include "support/TempDir.h"
#include "tray/VryTray95.h"

namespace zelvo::tray {
namespace {

using namespace platform;
using testing::FakeNotificationArea;
using testing::FormOwner;
using testing::ManualClock;
using testing::TempDir;
using testing::WriteIconFile;

class AnimationTest : public ::testing::Test {
protected:
    AnimationTest() : tray(&owner), clock(tray.Timers()) {
        WriteIconFile(dir / "A.xpm", 'A');
        WriteIconFile(dir / "B.xpm", 'B');
        WriteIconFile(dir / "C.xpm", 'C');
        tray.SetIcon(LoadIconResource("MAINICON"));
        // Every shown picture, and each OnAnimation, in the order they happen.
        tray.OnAnimation = [this](TVryObject* sender) {
            EXPECT_EQ(&tray, sender);
            seen.push_back("event");
        };
    }

    // The picture names the shell was given since the last call.
    std::vector<std::string> Shown() {
        std::vector<std::string> shown;
        for (size_t i = taken; i < shell.calls.size(); ++i) {
            std::string source = IconSource(shell.calls[i].data.hIcon);
            shown.push_back(source.empty() ? "" : source.substr(source.rfind('/') + 1));
        }
        taken = shell.calls.size();
        return shown;
    }

    std::vector<std::string> Files(std::initializer_list<const char*> names) {
        std::vector<std::string> files;
        for (const char* n : names)
            files.push_back(dir / n);
        return files;
    }

    void StartAnimated() {
        tray.SetActive(true);
        tray.SetState(tsAnimated);
        Shown();
    }

    TempDir dir;
    FakeNotificationArea shell;
    FormOwner owner;
    TVryTrayIcon95 tray;
    ManualClock clock;
    std::vector<std::string> seen;
    size_t taken = 0;
};

TEST_F(AnimationTest, FramesCycleInOrderWithTheEventBeforeEachFrame) {
    tray.Animation().SetIcons(Files({"A.xpm", "B.xpm", "C.xpm"}));
    tray.SetActive(true);
    Shown();
    tray.SetState(tsAnimated);
    EXPECT_EQ((std::vector<std::string>{"A.xpm", "A.xpm"}), Shown())
        << "the state change shows the frame at the counter, then the first step shows it at once";
    EXPECT_EQ(std::vector<std::string>{"event"}, seen);
    EXPECT_TRUE(tray.Animation().FrameItem().Enabled());
    EXPECT_EQ(1000, tray.Animation().FrameItem().Interval());

    std::vector<std::string> frames;
    for (int i = 0; i < 4; ++i) {
        clock.Advance(1000);
        auto shown = Shown();
        ASSERT_EQ(1u, shown.size());
        frames.push_back(shown[0]);
    }
    EXPECT_EQ((std::vector<std::string>{"B.xpm", "C.xpm", "A.xpm", "B.xpm"}), frames);
    EXPECT_EQ(5u, seen.size());
}

TEST_F(AnimationTest, MissingFrameKeepsThePreviousPicture) {
    tray.Animation().SetIcons(Files({"A.xpm", "missing.xpm", "C.xpm"}));
    StartAnimated();
    clock.Advance(1000);
    EXPECT_EQ(std::vector<std::string>{"A.xpm"}, Shown());
    clock.Advance(1000);
    EXPECT_EQ(std::vector<std::string>{"C.xpm"}, Shown());
    EXPECT_EQ(3u, seen.size()) << "the event fires for the missing frame too";
}

TEST_F(AnimationTest, LeavingTheAnimatedStateStopsTheClockAndShowsTheIcon) {
    tray.Animation().SetIcons(Files({"A.xpm", "B.xpm"}));
    StartAnimated();
    tray.SetState(tsEnabled);
    EXPECT_FALSE(tray.Animation().FrameItem().Enabled());
    EXPECT_EQ(std::vector<std::string>{"MAINICON"}, Shown());
    clock.Run(3000, 150);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(AnimationTest, DeactivatingStopsAndReactivatingRestartsAtTheFirstFrame) {
    tray.Animation().SetIcons(Files({"A.xpm", "B.xpm", "C.xpm"}));
    StartAnimated();
    clock.Advance(1000);
    tray.SetActive(false);
    EXPECT_FALSE(tray.Animation().FrameItem().Enabled());
    Shown();
    tray.SetActive(true);
    auto shown = Shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ("A.xpm", shown.back());
    EXPECT_TRUE(tray.Animation().FrameItem().Enabled());
}

TEST_F(AnimationTest, NewIntervalWhileAnimatingRestartsAtFrameZero) {
    tray.Animation().SetIcons(Files({"A.xpm", "B.xpm", "C.xpm"}));
    StartAnimated();
    clock.Advance(1000);
    EXPECT_EQ(std::vector<std::string>{"B.xpm"}, Shown());
    tray.Animation().SetInterval(500);
    EXPECT_EQ(std::vector<std::string>{"A.xpm"}, Shown());
    EXPECT_EQ(500, tray.Animation().FrameItem().Interval());
    clock.Advance(500);
    EXPECT_EQ(std::vector<std::string>{"B.xpm"}, Shown());
}

TEST_F(AnimationTest, NewIconListWhileAnimatingRestartsTheCount) {
    tray.Animation().SetIcons(Files({"A.xpm", "B.xpm", "C.xpm"}));
    StartAnimated();
    clock.Advance(1000);
    tray.Animation().SetIcons(Files({"C.xpm", "B.xpm"}));
    EXPECT_EQ(0, tray.Animation().FrameCounter());
    Shown();
    clock.Advance(1000);
    EXPECT_EQ(std::vector<std::string>{"C.xpm"}, Shown());
}

TEST_F(AnimationTest, EmptyListKeepsTheLastPictureWhileTheClockRuns) {
    tray.Animation().SetIcons(Files({"A.xpm"}));
    StartAnimated();
    tray.Animation().SetIcons({});
    clock.Advance(1000);
    EXPECT_EQ(std::vector<std::string>{"A.xpm"}, Shown());
    EXPECT_TRUE(tray.Animation().FrameItem().Enabled());
}

TEST_F(AnimationTest, ResourceNamesAreLookedUpInUpperCase) {
    tray.Animation().SetOptions(aoIconsInExe);
    tray.Animation().SetIcons({"mainicon", "NoSuchIcon"});
    StartAnimated();
    EXPECT_EQ("MAINICON", IconSource(tray.DisplayedIcon()));
    clock.Advance(1000);
    EXPECT_EQ(nullptr, tray.DisplayedIcon()) << "a resource that does not exist shows nothing";
}

TEST_F(AnimationTest, FramesDoNotRunWhileInactive) {
    tray.Animation().SetIcons(Files({"A.xpm", "B.xpm"}));
    tray.SetState(tsAnimated);
    tray.Animation().SetInterval(200);
    EXPECT_FALSE(tray.Animation().FrameItem().Enabled());
    EXPECT_TRUE(seen.empty());
}

TEST(AnimationLifetime, DestroyingAnActiveAnimatedIconIsSafe) {
    FakeNotificationArea shell;
    FormOwner owner;
    {
        TVryTrayIcon95 tray(&owner);
        tray.SetActive(true);
        tray.SetState(tsAnimated);
    }
    EXPECT_EQ(NIM_DELETE, shell.Last().message);
}

}  // namespace
}  // namespace zelvo::tray
