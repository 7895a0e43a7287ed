// The strip as a desktop sees it: its own menu, the note for a desktop
// without a notification area, its screen and its stacking.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMessageBox>
#include <QWindow>

#include "app/MainZv3.h"
#include "config/LiveSettings.h"
#include "config/RegIniFile.h"
#include "platform/MessageLoop.h"
#include "platform/PopupMenu.h"
#include "platform/linux/ControlImpl.h"
#include "support/DialogRecorder.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/TrayFakes.h"

using namespace zelvo;
using app::TfrmMain;
using platform::toolkit::WidgetOf;

namespace {

class StripDesktop : public ::testing::Test {
protected:
    zelvo::testing::TempDir dir;
    zelvo::testing::ScopedEnv home{"XDG_CONFIG_HOME", dir.Path()};
    zelvo::testing::DialogRecorder boxes;
    zelvo::testing::FakeNotificationArea tray;

    void SetUp() override {
        config::Live() = {};
        config::Live().BorderOn = false;
    }
    void TearDown() override {
        platform::PopupMenu::SetTracker({});
        platform::SetExceptionHandler(nullptr);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMessageBox*>(w) != nullptr)
                delete w;
        }
    }

    static std::vector<QMessageBox*> Notes() {
        std::vector<QMessageBox*> notes;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible())
                notes.push_back(box);
        }
        return notes;
    }
};

}  // namespace

TEST_F(StripDesktop, RightClickOnTheTextOpensTheTrayMenuWhereThePointerIs) {
    TfrmMain form({1280, 800, std::nullopt});
    form.FormCreate();
    form.Show();
    const platform::PopupMenu* opened = nullptr;
    platform::TPoint at;
    platform::PopupMenu::SetTracker([&](const platform::PopupMenu& menu, platform::TPoint p) {
        opened = &menu;
        at = p;
        return &menu.Item(16);  // "&About...": no about box here, nothing shows
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(30, 5), QPoint(330, 755));
    QApplication::sendEvent(WidgetOf(form.lblTicker.Box()), &click);
    EXPECT_EQ(form.mnuPopupMenu.get(), opened);
    EXPECT_EQ((platform::TPoint{330, 755}), at);
    // The same menu is what a tray that draws menus itself shows.
    EXPECT_EQ(form.mnuPopupMenu, tray.menu.lock());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(StripDesktop, WithoutANotificationAreaANoteFollowsTheStripAndHoldsNothingUp) {
    tray.missing = true;
    TfrmMain form({1280, 800, std::nullopt});
    form.FormCreate();
    EXPECT_TRUE(Notes().empty()) << "nothing before the strip is up";
    form.Show();
    platform::ProcessMessages();
    auto notes = Notes();
    ASSERT_EQ(1u, notes.size());
    EXPECT_FALSE(notes[0]->isModal());
    EXPECT_EQ(QString::fromLatin1(TfrmMain::kNoTrayNote), notes[0]->text());
    EXPECT_TRUE(notes[0]->text().contains("Right-click the ticker"));
    EXPECT_TRUE(boxes.boxes.empty()) << "no box that waits";

    // Shown once, not at every showing of the strip.
    form.Hide();
    form.Show();
    platform::ProcessMessages();
    EXPECT_EQ(1u, Notes().size());
}

TEST_F(StripDesktop, WithANotificationAreaThereIsNoNote) {
    TfrmMain form({1280, 800, std::nullopt});
    form.FormCreate();
    form.Show();
    platform::ProcessMessages();
    EXPECT_TRUE(Notes().empty());
}

TEST_F(StripDesktop, TheStripSitsOnItsOwnScreenAndSavesItsPlaceOnIt) {
    // The strip's screen is right of another one.
    TfrmMain form({1280, 800, std::nullopt, {1920, 0}});
    form.FormCreate();
    EXPECT_EQ(1920, form.Left());
    EXPECT_EQ(800 - 28 - TfrmMain::kStripHeight, form.Top());
    EXPECT_EQ(1280, form.Width());
    EXPECT_EQ(0, form.StripLeft());

    // Hiding moves it below its own screen and back.
    form.mnuHideTickerClick();
    EXPECT_EQ(800 + 100, form.StripTop());
    form.mnuHideTickerClick();
    EXPECT_EQ(800 - 28 - TfrmMain::kStripHeight, form.StripTop());

    form.AppTag = 1;
    form.Close();
    config::TRegIniFile store;
    EXPECT_EQ(0, store.ReadInteger("Zelvo", "TickerLeft", -1));
    EXPECT_EQ(800 - 28 - TfrmMain::kStripHeight, store.ReadInteger("Zelvo", "TickerTop", -1));
}

TEST_F(StripDesktop, ASavedPlaceCountsFromTheScreenBelowTheFirst) {
    config::TRegIniFile().WriteInteger("Zelvo", "TickerTop", -9);  // off screen: bottom row
    config::TRegIniFile().WriteInteger("Zelvo", "TickerLeft", 40);
    TfrmMain form({1024, 768, std::nullopt, {0, 1080}});
    form.FormCreate();
    EXPECT_EQ(40, form.Left());
    EXPECT_EQ(1080 + 768 - 28 - TfrmMain::kStripHeight, form.Top());
}

TEST_F(StripDesktop, AlwaysOnTopTogglesOnTheSameWindow) {
    TfrmMain form({1280, 800, std::nullopt});
    form.FormCreate();
    form.Show();
    platform::ProcessMessages();
    QWidget* strip = WidgetOf(form);
    WId before = strip->winId();
    QWindow* handle = strip->windowHandle();
    ASSERT_NE(nullptr, handle);
    ASSERT_TRUE(form.Topmost());

    form.mnuAlwaysonTopClick();
    EXPECT_FALSE(form.Topmost());
    EXPECT_FALSE(handle->flags().testFlag(Qt::WindowStaysOnTopHint));
    form.mnuAlwaysonTopClick();
    EXPECT_TRUE(form.Topmost());
    EXPECT_TRUE(handle->flags().testFlag(Qt::WindowStaysOnTopHint));

    EXPECT_EQ(before, strip->winId());
    EXPECT_EQ(handle, strip->windowHandle());
    EXPECT_TRUE(form.Visible());
}
