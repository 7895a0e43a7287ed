#include <gtest/gtest.h>

#include "app/StartUp.h"
#include "support/DialogRecorder.h"
#include "support/SettingsStore.h"

#ifndef _WIN32
#include <filesystem>

#include "support/TempDir.h"
#endif

using namespace zelvo::app;
using zelvo::config::TRegIniFile;
using zelvo::platform::TRect;
using zelvo::testing::DialogRecorder;
using zelvo::testing::TempStore;

TEST(TaskbarRule, HeightIsTheRectangleLessTwoWhenPlausible) {
    EXPECT_EQ(TaskbarHeightFrom(TRect{0, 770, 1280, 800}, 800), 28);
    EXPECT_EQ(TaskbarHeightFrom(TRect{0, 760, 1280, 800}, 800), 38);
    EXPECT_EQ(TaskbarHeightFrom(TRect{0, 0, 60, 800}, 800), 28);       // docked at the left
    EXPECT_EQ(TaskbarHeightFrom(TRect{0, 398, 1280, 800}, 800), 400);  // exactly half is allowed
    EXPECT_EQ(TaskbarHeightFrom(TRect{0, 397, 1280, 800}, 800), 28);
    EXPECT_EQ(TaskbarHeightFrom(TRect{0, 800, 1280, 801}, 800), 28);  // negative
    EXPECT_EQ(TaskbarHeightFrom(std::nullopt, 800), 28);
}

TEST(TaskbarRule, APublishedWorkAreaWithoutABottomPanelLeavesTheBottomEdgeFree) {
    // A panel only at the top (or at a side): nothing to keep clear below.
    EXPECT_EQ(TaskbarHeightFrom(std::nullopt, 800, true), 0);
    // A bottom panel still counts as before, plausible or not.
    EXPECT_EQ(TaskbarHeightFrom(TRect{0, 770, 1280, 800}, 800, true), 28);
    EXPECT_EQ(TaskbarHeightFrom(TRect{0, 397, 1280, 800}, 800, true), 28);
}

TEST(InstanceRule, SuffixForEveryNumber) {
    EXPECT_EQ(InstanceSuffixFor(1), "");
    EXPECT_EQ(InstanceSuffixFor(2), "2");
    EXPECT_EQ(InstanceSuffixFor(3), "3");
    EXPECT_EQ(InstanceSuffixFor(4), "3");
    EXPECT_EQ(InstanceSuffixFor(0), "3");
}

TEST(InstanceRule, CopiesCountUpAndAFourthIsRefused) {
    TempStore place;
    TRegIniFile store(place);
    DialogRecorder boxes;
    EXPECT_EQ(ClaimInstance(store, false).InstanceNumber, 1);
    EXPECT_EQ(store.ReadInteger("Zelvo", "RunningInstances", 0), 1);
    auto second = ClaimInstance(store, true);
    EXPECT_EQ(second.InstanceNumber, 2);
    EXPECT_EQ(second.InstanceSuffix, "2");
    auto third = ClaimInstance(store, true);
    EXPECT_EQ(third.InstanceSuffix, "3");
    EXPECT_FALSE(third.Exceeds);
    EXPECT_TRUE(boxes.boxes.empty());

    auto fourth = ClaimInstance(store, true);
    EXPECT_TRUE(fourth.Exceeds);
    EXPECT_EQ(fourth.InstanceSuffix, "3");
    EXPECT_EQ(store.ReadInteger("Zelvo", "RunningInstances", 0), 3);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "This copy exceeds maximum permitted, exiting now.    ");
    EXPECT_EQ(boxes.boxes[0].caption, "Warning");
}

TEST(InstanceRule, AFirstCopyResetsAStaleCount) {
    TempStore place;
    TRegIniFile store(place);
    store.WriteInteger("Zelvo", "RunningInstances", 3);
    EXPECT_EQ(ClaimInstance(store, false).InstanceNumber, 1);
    EXPECT_EQ(store.ReadInteger("Zelvo", "RunningInstances", 0), 1);
}

#ifndef _WIN32
// A settings folder that cannot be written must not cost the copy its
// count or its saved placement. A key that holds values yet refuses writes
// needs access rules set on it, which this suite does not set up.
TEST(InstanceRule, AStoreThatCannotBeWrittenStillCounts) {
    zelvo::testing::TempDir dir;
    TRegIniFile(dir / "Zelvo.conf").WriteInteger("Zelvo", "RunningInstances", 2);
    std::filesystem::create_directory(dir / "Zelvo.conf.tmp");  // no write goes through
    TRegIniFile store(dir / "Zelvo.conf");
    DialogRecorder boxes;
    auto claim = ClaimInstance(store, true);
    EXPECT_EQ(claim.InstanceNumber, 3);
    EXPECT_EQ(claim.WriteFailure, "Failed to set data for 'RunningInstances'");
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(TRegIniFile(dir / "Zelvo.conf").ReadInteger("Zelvo", "RunningInstances", 0), 2);
}
#endif

class Placement : public ::testing::Test {
protected:
    TempStore place;
    TRegIniFile store{place};
    TStripMetrics metrics{1280, 800, 22, 28, false, 1};
    static constexpr int kBottom = 800 - 28 - 22;

    TStripPlacement Read(const std::string& section = "Zelvo") {
        return ReadStripPlacement(store, section, metrics);
    }
};

TEST_F(Placement, EmptyStoreGivesTheDefaultStrip) {
    auto p = Read();
    EXPECT_EQ(p.Top, kBottom);
    EXPECT_EQ(p.SavedTop, kBottom);
    EXPECT_EQ(p.Left, 0);
    EXPECT_EQ(p.Width, 1280);
    EXPECT_EQ(p.StripMaxHeight, 22);
    EXPECT_EQ(p.Look.Backcolor, 0);
    EXPECT_EQ(p.Look.ForeColor, 16777215);
    EXPECT_EQ(p.Look.FontName, "MS Sans Serif");
    EXPECT_EQ(p.Look.FontSize, 8);
    EXPECT_TRUE(p.Look.Bold());
    EXPECT_TRUE(p.AlwaysOnTop);
    EXPECT_FALSE(p.HideTicker);
    EXPECT_TRUE(p.AutoRetrievalOn);
}

TEST_F(Placement, TopsOffTheScreenFallBackToTheBottomRow) {
    const std::pair<int, int> cases[] = {
        {800 - 5, kBottom}, {-9, kBottom}, {-8, -8}, {800 - 8, 800 - 8}};
    for (auto [stored, expected] : cases) {
        store.WriteInteger("Zelvo", "TickerTop", stored);
        EXPECT_EQ(Read().Top, expected) << "stored " << stored;
    }
}

TEST_F(Placement, LeftBeyondTenPixelsOffIsReset) {
    store.WriteInteger("Zelvo", "TickerLeft", -11);
    EXPECT_EQ(Read().Left, 0);
    store.WriteInteger("Zelvo", "TickerLeft", -10);
    EXPECT_EQ(Read().Left, -10);
    store.WriteInteger("Zelvo", "TickerWidth", 99999);
    EXPECT_EQ(Read().Width, 99999);  // the width is taken as stored
}

TEST_F(Placement, LaterCopiesStackFromTheTopEdge) {
    metrics.RunningCopyFound = true;
    metrics.InstanceNumber = 2;
    EXPECT_EQ(Read("Zelvo2").Top, 0);
    metrics.InstanceNumber = 3;
    EXPECT_EQ(Read("Zelvo3").Top, 22);
    store.WriteInteger("Zelvo3", "TickerTop", 300);
    EXPECT_EQ(Read("Zelvo3").Top, 300);  // a saved row of its own wins
}

TEST_F(Placement, OnlyFontStyleOneIsRegular) {
    for (int style : {0, 2, 3, -1}) {
        store.WriteInteger("Zelvo", "FontStyle", style);
        EXPECT_TRUE(Read().Look.Bold()) << style;
    }
    store.WriteInteger("Zelvo", "FontStyle", 1);
    EXPECT_FALSE(Read().Look.Bold());
}

TEST_F(Placement, AStripNotOnTopNeverCoversTheTaskbar) {
    store.WriteBool("Zelvo", "AlwaysOnTop", false);
    store.WriteInteger("Zelvo", "TickerTop", kBottom + 10);
    EXPECT_EQ(Read().Top, kBottom);
    store.WriteInteger("Zelvo", "TickerTop", kBottom - 10);
    EXPECT_EQ(Read().Top, kBottom - 10);
}

TEST_F(Placement, AHiddenStripGoesBelowTheScreenAndRemembersItsRow) {
    store.WriteBool("Zelvo", "HideTicker", true);
    store.WriteInteger("Zelvo", "TickerTop", 100);
    auto p = Read();
    EXPECT_EQ(p.Top, 900);
    EXPECT_EQ(p.SavedTop, 100);
}
