#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "app/AbtZv3.h"
#include "app/MainZv3.h"
#include "config/LiveSettings.h"
#include "config/RegIniFile.h"
#include "platform/Cp1252.h"
#include "platform/Dialogs.h"
#include "platform/MessageLoop.h"
#include "platform/linux/ControlImpl.h"
#include "support/DialogRecorder.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/TrayFakes.h"

using namespace zelvo;
using app::TfrmMain;
using app::TTickerLabel;

namespace {

std::string Plain(const std::vector<TTickerLabel::Run>& runs) {
    std::string out;
    for (const auto& r : runs)
        out += (r.underline ? "_" : "") + platform::Utf8ToCp1252(r.text);
    return out;
}

class StripForm : public ::testing::Test {
protected:
    zelvo::testing::TempDir dir;
    zelvo::testing::ScopedEnv home{"XDG_CONFIG_HOME", dir.Path()};
    zelvo::testing::DialogRecorder boxes;
    zelvo::testing::FakeNotificationArea tray;
    TfrmMain::TScreen screen{1280, 800, std::nullopt};

    void SetUp() override {
        config::Live() = {};
        config::Live().BorderOn = false;
    }
    void TearDown() override { platform::SetExceptionHandler(nullptr); }
};

}  // namespace

TEST(TickerLabelText, AmpersandsFollowTheMnemonicRule) {
    EXPECT_EQ(Plain(TTickerLabel::Runs("Fish && Chips")), "Fish & Chips");
    EXPECT_EQ(Plain(TTickerLabel::Runs("&File")), "_File");
    EXPECT_EQ(Plain(TTickerLabel::Runs("a&&&b")), "a&_b");
    EXPECT_EQ(Plain(TTickerLabel::Runs("end&")), "end");
    EXPECT_EQ(Plain(TTickerLabel::Runs("")), "");
    EXPECT_EQ(TTickerLabel::Runs("caf\u00E9")[0].text, "caf\xC3\xA9");
    // A mnemonic takes the whole character after it, whatever its length.
    EXPECT_EQ(Plain(TTickerLabel::Runs("&\u00E9t\u00E9")), "_\xE9t\xE9");
    EXPECT_EQ(TTickerLabel::ShownCharacters("a&&b&\u20ACc"),
              (std::vector<std::size_t>{0, 2, 3, 5, 6}));
    // Headlines and feeds are plain text: every ampersand is one.
    EXPECT_EQ(Plain(TTickerLabel::Runs("Fish & Chips && &Co&", false)), "Fish & Chips && &Co&");
    EXPECT_EQ(TTickerLabel::ShownCharacters("a&&b&", false),
              (std::vector<std::size_t>{0, 1, 2, 3, 4}));
}

TEST_F(StripForm, FirstCopyOnAnEmptyStoreSitsAboveTheTaskbar) {
    TfrmMain form(screen);
    form.FormCreate();
    EXPECT_EQ(form.Tag, 0);
    EXPECT_EQ(config::Live().InstanceNumber, 1);
    EXPECT_EQ(config::Live().InstanceSuffix, "");
    EXPECT_EQ(form.Left(), 0);
    EXPECT_EQ(form.Top(), 800 - 28 - TfrmMain::kStripHeight);
    EXPECT_EQ(form.Width(), 1280);
    EXPECT_EQ(form.StripMaxHeight, TfrmMain::kStripHeight);
    EXPECT_TRUE(form.Topmost());
    EXPECT_EQ(form.lblTicker.Caption(), " Zelvo");
    EXPECT_EQ(form.lblTicker.Backcolor(), 0);
    EXPECT_EQ(form.lblTicker.ForeColor(), 16777215);
    EXPECT_TRUE(form.lblTicker.TextFont().Bold);
    EXPECT_EQ(platform::ApplicationTitle(), "Zelvo");
    EXPECT_TRUE(boxes.boxes.empty());
    config::TRegIniFile store;
    EXPECT_EQ(store.ReadInteger("Zelvo", "RunningInstances", 0), 1);
}

TEST_F(StripForm, AnUnwritableStoreKeepsTheSavedPlacementAndSaysSo) {
    const std::string conf = dir / "Quorvane/Zelvo.conf";
    {
        config::TRegIniFile store;
        store.WriteInteger("Zelvo", "TickerTop", 300);
        store.WriteInteger("Zelvo", "TickerLeft", 40);
        store.WriteInteger("Zelvo", "TickerWidth", 900);
    }
    std::filesystem::create_directory(conf + ".tmp");  // every write fails
    TfrmMain form(screen);
    form.FormCreate();
    EXPECT_EQ(form.Left(), 40);
    EXPECT_EQ(form.Top(), 300);
    EXPECT_EQ(form.Width(), 900);
    EXPECT_EQ(config::Live().InstanceNumber, 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, app::UnwritableStoreText(conf));
    EXPECT_EQ(boxes.boxes[0].caption, "Warning");
}

TEST_F(StripForm, AutoRetrievalOffStartsWithAnEmptyCaption) {
    config::TRegIniFile().WriteBool("Zelvo", "AutoRetrievalOn", false);
    TfrmMain form(screen);
    form.FormCreate();
    EXPECT_EQ(form.lblTicker.Caption(), "");
}

TEST_F(StripForm, ASecondCopyIsToldAndTakesTheTopRow) {
    config::TRegIniFile().WriteInteger("Zelvo", "RunningInstances", 1);
    app::TfrmAbout firstCopy;  // holds the running-copy marker as a first copy would
    TfrmMain form(screen);
    form.FormCreate();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              "Close any copy by selecting Exit from its tray icon popup menu.");
    EXPECT_EQ(boxes.boxes[0].caption, "Zelvo Already Running");
    EXPECT_EQ(boxes.boxes[0].flags, platform::MB_OK | platform::MB_ICONINFORMATION);
    EXPECT_EQ(config::Live().InstanceSuffix, "2");
    EXPECT_EQ(form.Top(), 0);
}

TEST_F(StripForm, ATopmostStripCanBeLoweredAndRaised) {
    config::TRegIniFile().WriteBool("Zelvo", "AlwaysOnTop", false);
    TfrmMain form(screen);
    form.FormCreate();
    EXPECT_FALSE(form.Topmost());
    form.SetTopmost(true);
    EXPECT_TRUE(form.Topmost());
}

TEST_F(StripForm, TheExceptionHandlerShowsTheWarningThenTheMessage) {
    TfrmMain form(screen);
    form.FormCreate();
    platform::SetApplicationTitle("Zelvo");
    platform::MessageWindow wnd(
        [](platform::UINT, platform::WPARAM, platform::LPARAM) -> platform::LRESULT {
            throw std::runtime_error("Socket operation on non-socket");
        });
    platform::PostMessage(wnd.Handle(), platform::WM_USER, 0, 0);
    platform::ProcessMessages();
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, "Error, note next message and report repetition.     ");
    EXPECT_EQ(boxes.boxes[0].caption, "Warning");
    EXPECT_EQ(boxes.boxes[1].text, "Socket operation on non-socket");
    EXPECT_EQ(boxes.boxes[1].caption, "Zelvo");
}

TEST(AboutBox, CaptionCarriesANoBreakSpaceAndTheVersionLine) {
    zelvo::testing::TempDir dir;
    zelvo::testing::ScopedEnv home("XDG_CONFIG_HOME", dir.Path());
    app::TfrmAbout about;
    EXPECT_EQ(app::TfrmAbout::AboutCaption(), "About\xA0Zelvo");
    EXPECT_EQ(about.Caption(), "About\xA0Zelvo");
    EXPECT_EQ(platform::toolkit::WidgetOf(about)->windowTitle(),
              QString::fromUtf8("About\xC2\xA0Zelvo"));
    EXPECT_EQ(about.lblVersion.Caption(), "Version 3.02 - Windows 95/NT");
    EXPECT_EQ(about.Copyright.Caption(), "Copyright \xA9 Quorvane");
    EXPECT_FALSE(about.Visible());
}
