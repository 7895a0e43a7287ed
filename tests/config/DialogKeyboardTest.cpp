// The dialog for keyboard users and onlookers, and the log-in start entry.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <filesystem>

#include "DialogFixture.h"
#include "config/Autostart.h"
#include "platform/Paths.h"
#include "platform/SettingsFile.h"

namespace zelvo::config {
namespace {

// The widgets of a page that the Tab key stops at, in the order it visits them.
std::vector<QWidget*> TabStops(QWidget* window, QWidget* page) {
    std::vector<QWidget*> stops;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if (page->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
            w->isVisibleTo(page))
            stops.push_back(w);
    }
    return stops;
}

std::vector<std::string> Names(const std::vector<QWidget*>& widgets) {
    std::vector<std::string> names;
    for (auto* w : widgets)
        names.push_back(w->objectName().isEmpty() ? w->parentWidget()->objectName().toStdString()
                                                  : w->objectName().toStdString());
    return names;
}

QRect OnPage(QWidget* w, QWidget* page) {
    return QRect(w->mapTo(page, QPoint(0, 0)), w->size());
}

class DialogKeyboard : public ConfigDialogTest {
protected:
    std::unique_ptr<TfrmConfig> Shown() {
        auto dlg = MakeWithUrls("http://127.0.0.1/a\r\n");
        dlg->show();
        QApplication::processEvents();
        return dlg;
    }
    static void ShowPage(TfrmConfig& dlg, int index) {
        dlg.PageControl1->setCurrentIndex(index);
        QApplication::processEvents();
    }
};

TEST_F(DialogKeyboard, TabFollowsTheDrawnOrderOnEveryPage) {
    auto dlg = Shown();
    ShowPage(*dlg, 0);
    QWidget* general = dlg->PageControl1->widget(0);
    EXPECT_EQ(Names(TabStops(dlg.get(), general)),
              (Lines{"tbarScrollSpeed", "spinInterval", "spinTimeOut", "rbtnRetrievalOn",
                     "rbtnHeadlines", "txtProxyHost", "txtProxyPort", "chkStartAtLogin",
                     "chkSmoothScroll"}));
    ShowPage(*dlg, 1);
    QWidget* personal = dlg->PageControl1->widget(1);
    EXPECT_EQ(Names(TabStops(dlg.get(), personal)),
              (Lines{"rbNoBorder", "btnBackcolor", "btnForecolor", "txtUsername", "btnTips",
                     "txtPassword"}));

    // Every page: each stop stands below the one before, or beside it to the right.
    for (int i = 0; i < dlg->PageControl1->count(); ++i) {
        ShowPage(*dlg, i);
        QWidget* page = dlg->PageControl1->widget(i);
        const auto stops = TabStops(dlg.get(), page);
        ASSERT_FALSE(stops.empty()) << i;
        for (size_t k = 1; k < stops.size(); ++k) {
            const QRect a = OnPage(stops[k - 1], page);
            const QRect b = OnPage(stops[k], page);
            const bool below = b.center().y() > a.bottom();
            const bool beside = b.center().y() >= a.top() && b.left() > a.left();
            EXPECT_TRUE(below || beside) << "page " << i << ": " << Names({stops[k - 1]})[0]
                                         << " then " << Names({stops[k]})[0];
        }
    }
}

TEST_F(DialogKeyboard, AnOptionGroupIsOneStopAtItsSelectedButton) {
    auto dlg = Shown();
    EXPECT_TRUE(dlg->rbtnRetrievalOn->focusPolicy() & Qt::TabFocus);
    EXPECT_FALSE(dlg->rbtnRetrievalOff->focusPolicy() & Qt::TabFocus);
    dlg->rbtnRetrievalOff->setChecked(true);
    EXPECT_FALSE(dlg->rbtnRetrievalOn->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(dlg->rbtnRetrievalOff->focusPolicy() & Qt::TabFocus);
    dlg->rbBorder->setChecked(true);
    EXPECT_TRUE(dlg->rbBorder->focusPolicy() & Qt::TabFocus);
    EXPECT_FALSE(dlg->rbNoBorder->focusPolicy() & Qt::TabFocus);
    // A click still focuses the other button.
    EXPECT_TRUE(dlg->rbNoBorder->focusPolicy() & Qt::ClickFocus);
}

TEST_F(DialogKeyboard, TheFirstControlHasTheFocusWhenTheDialogOpens) {
    auto dlg = Shown();
    EXPECT_EQ(dlg->focusWidget(), dlg->tbarScrollSpeed);
    dlg->PageControl1->setCurrentIndex(4);
    dlg->txtUsername->setFocus();
    dlg->btnCancelConfig->click();
    dlg->show();
    QApplication::processEvents();
    EXPECT_EQ(dlg->PageControl1->currentIndex(), 0);
    EXPECT_EQ(dlg->focusWidget(), dlg->tbarScrollSpeed);
}

TEST_F(DialogKeyboard, ATypedPasswordShowsAsDotsAndTheMaskAsItIs) {
    Store().WriteString("Zelvo", "Password", "hunter2");
    auto dlg = Shown();
    EXPECT_EQ(dlg->txtPassword->displayText(), QString("(Secret)"));
    dlg->txtPassword->setText("typed");
    EXPECT_EQ(dlg->txtPassword->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(dlg->txtPassword->displayText().contains("typed"));
    dlg->btnUpdate->click();
    EXPECT_EQ(Live().Password, "typed");
    EXPECT_EQ(dlg->txtPassword->displayText(), QString("(Secret)"));
}

TEST_F(DialogKeyboard, MinutesAndHoursStandBesideTheirFields) {
    auto dlg = Shown();
    QWidget* page = dlg->PageControl1->widget(0);
    for (auto [label, field] :
         {std::pair{"lblMinutes", dlg->spinInterval}, std::pair{"lblHours", dlg->spinTimeOut}}) {
        auto* l = dlg->findChild<QLabel*>(label);
        ASSERT_NE(l, nullptr) << label;
        const QRect f = OnPage(field, page);
        const QRect r = OnPage(l, page);
        EXPECT_GE(r.left(), f.right()) << label;
        EXPECT_LE(r.left() - f.right(), 12) << label;
        EXPECT_TRUE(r.center().y() >= f.top() && r.center().y() <= f.bottom()) << label;
    }
}

// --- Starting with the session ----------------------------------------------------

class StartAtLogin : public ConfigDialogTest {
protected:
    std::string Entry() const { return home / "autostart/zelvo.desktop"; }
};

TEST_F(StartAtLogin, SaveWritesAndRemovesTheEntryAndTheSettingsHoldNothingOfIt) {
    auto dlg = MakeWithUrls("");
    EXPECT_EQ(AutostartEntryPath(), Entry());
    EXPECT_FALSE(dlg->chkStartAtLogin->isChecked());
    dlg->show();
    dlg->chkStartAtLogin->setChecked(true);
    dlg->btnSaveConfig->click();
    ASSERT_TRUE(std::filesystem::exists(Entry()));
    const std::string text = Slurp(Entry());
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=" + platform::ExePath() + "\n"), std::string::npos);
    EXPECT_EQ(Slurp(platform::UserSettingsPath()).find("utostart"), std::string::npos);

    auto again = Make();
    EXPECT_TRUE(again->chkStartAtLogin->isChecked());
    again->show();
    again->chkStartAtLogin->setChecked(false);
    again->btnSaveConfig->click();
    EXPECT_FALSE(std::filesystem::exists(Entry()));
}

TEST_F(StartAtLogin, TheEntryIsTheStateAndCancelPutsItBack) {
    auto dlg = MakeWithUrls("");
    std::filesystem::create_directories(home / "autostart");
    WriteFile(Entry(), "[Desktop Entry]\nType=Application\nExec=zelvo --mine\n");
    dlg->show();
    EXPECT_TRUE(dlg->chkStartAtLogin->isChecked());  // read again at showing
    dlg->chkStartAtLogin->setChecked(false);
    dlg->btnCancelConfig->click();
    EXPECT_TRUE(dlg->chkStartAtLogin->isChecked());
    EXPECT_TRUE(std::filesystem::exists(Entry()));

    // An entry the desktop already starts is the user's: Save leaves it be.
    dlg->show();
    dlg->btnSaveConfig->click();
    EXPECT_EQ(Slurp(Entry()), "[Desktop Entry]\nType=Application\nExec=zelvo --mine\n");

    // One the desktop switched off counts as off, and Save turns it on again.
    WriteFile(Entry(), "[Desktop Entry]\nExec=zelvo\nHidden=true\n");
    dlg->show();
    EXPECT_FALSE(dlg->chkStartAtLogin->isChecked());
    dlg->chkStartAtLogin->setChecked(true);
    dlg->btnSaveConfig->click();
    EXPECT_TRUE(AutostartEnabled());
}

TEST(AutostartEntry, ExecQuotesWhatTheDesktopWouldSplitOrExpand) {
    auto exec = [](const std::string& program) {
        const std::string text = AutostartEntryText(program);
        const size_t at = text.find("\nExec=") + 6;
        return text.substr(at, text.find('\n', at) - at);
    };
    EXPECT_EQ(exec("/usr/bin/zelvo"), "/usr/bin/zelvo");
    EXPECT_EQ(exec("/opt/my apps/zelvo"), "\"/opt/my apps/zelvo\"");
    EXPECT_EQ(exec("/opt/100%/zelvo"), "/opt/100%%/zelvo");
    EXPECT_EQ(exec("/opt/$HOME/\"z\""), "\"/opt/\\\\$HOME/\\\\\"z\\\\\"\"");
}

}  // namespace
}  // namespace zelvo::config
