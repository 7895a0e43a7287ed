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
        dlg->Show();
        QApplication::processEvents();
        return dlg;
    }
    static void ShowPage(TfrmConfig& dlg, int index) {
        dlg.PageControl1->SetActivePageIndex(index);
        QApplication::processEvents();
    }
};

TEST_F(DialogKeyboard, TabFollowsTheDrawnOrderOnEveryPage) {
    auto dlg = Shown();
    ShowPage(*dlg, 0);
    QWidget* general = Widget(dlg->PageControl1->Page(0));
    EXPECT_EQ(
        Names(TabStops(Widget(*dlg), general)),
        (Lines{"tbarScrollSpeed", "spinInterval", "spinTimeOut", "rbtnRetrievalOn", "rbtnHeadlines",
               "txtProxyHost", "txtProxyPort", "chkStartAtLogin", "chkSmoothScroll"}));
    ShowPage(*dlg, 1);
    QWidget* personal = Widget(dlg->PageControl1->Page(1));
    EXPECT_EQ(Names(TabStops(Widget(*dlg), personal)),
              (Lines{"rbNoBorder", "btnBackcolor", "btnForecolor", "txtUsername", "btnTips",
                     "txtPassword"}));

    // Every page: each stop stands below the one before, or beside it to the right.
    for (int i = 0; i < dlg->PageControl1->PageCount(); ++i) {
        ShowPage(*dlg, i);
        QWidget* page = Widget(dlg->PageControl1->Page(i));
        const auto stops = TabStops(Widget(*dlg), page);
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
    EXPECT_TRUE(Widget(dlg->rbtnRetrievalOn)->focusPolicy() & Qt::TabFocus);
    EXPECT_FALSE(Widget(dlg->rbtnRetrievalOff)->focusPolicy() & Qt::TabFocus);
    dlg->rbtnRetrievalOff->SetChecked(true);
    EXPECT_FALSE(Widget(dlg->rbtnRetrievalOn)->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(Widget(dlg->rbtnRetrievalOff)->focusPolicy() & Qt::TabFocus);
    dlg->rbBorder->SetChecked(true);
    EXPECT_TRUE(Widget(dlg->rbBorder)->focusPolicy() & Qt::TabFocus);
    EXPECT_FALSE(Widget(dlg->rbNoBorder)->focusPolicy() & Qt::TabFocus);
    // A click still focuses the other button.
    EXPECT_TRUE(Widget(dlg->rbNoBorder)->focusPolicy() & Qt::ClickFocus);
}

TEST_F(DialogKeyboard, TheFirstControlHasTheFocusWhenTheDialogOpens) {
    auto dlg = Shown();
    EXPECT_EQ(Widget(*dlg)->focusWidget(), Widget(dlg->tbarScrollSpeed));
    dlg->PageControl1->SetActivePageIndex(4);
    dlg->txtUsername->SetFocus();
    dlg->btnCancelConfig->Click();
    dlg->Show();
    QApplication::processEvents();
    EXPECT_EQ(dlg->PageControl1->ActivePageIndex(), 0);
    EXPECT_EQ(Widget(*dlg)->focusWidget(), Widget(dlg->tbarScrollSpeed));
}

TEST_F(DialogKeyboard, ATypedPasswordShowsAsDotsAndTheMaskAsItIs) {
    Store().WriteString("Zelvo", "Password", "hunter2");
    auto dlg = Shown();
    EXPECT_EQ(Widget<QLineEdit>(dlg->txtPassword)->displayText(), QString("(Secret)"));
    dlg->txtPassword->SetText("typed");
    EXPECT_EQ(Widget<QLineEdit>(dlg->txtPassword)->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(Widget<QLineEdit>(dlg->txtPassword)->displayText().contains("typed"));
    dlg->btnUpdate->Click();
    EXPECT_EQ(Live().Password, "typed");
    EXPECT_EQ(Widget<QLineEdit>(dlg->txtPassword)->displayText(), QString("(Secret)"));
}

TEST_F(DialogKeyboard, MinutesAndHoursStandBesideTheirFields) {
    auto dlg = Shown();
    QWidget* page = Widget(dlg->PageControl1->Page(0));
    for (auto [label, field] : {std::pair{"lblMinutes", dlg->spinInterval.get()},
                                std::pair{"lblHours", dlg->spinTimeOut.get()}}) {
        auto* l = Widget(*dlg)->findChild<QLabel*>(label);
        ASSERT_NE(l, nullptr) << label;
        const QRect f = OnPage(Widget(*field), page);
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
    EXPECT_FALSE(dlg->chkStartAtLogin->Checked());
    dlg->Show();
    dlg->chkStartAtLogin->SetChecked(true);
    dlg->btnSaveConfig->Click();
    ASSERT_TRUE(std::filesystem::exists(Entry()));
    const std::string text = Slurp(Entry());
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=" + platform::ExePath() + "\n"), std::string::npos);
    EXPECT_EQ(Slurp(platform::UserSettingsPath()).find("utostart"), std::string::npos);

    auto again = Make();
    EXPECT_TRUE(again->chkStartAtLogin->Checked());
    again->Show();
    again->chkStartAtLogin->SetChecked(false);
    again->btnSaveConfig->Click();
    EXPECT_FALSE(std::filesystem::exists(Entry()));
}

TEST_F(StartAtLogin, TheEntryIsTheStateAndCancelPutsItBack) {
    auto dlg = MakeWithUrls("");
    std::filesystem::create_directories(home / "autostart");
    WriteFile(Entry(), "[Desktop Entry]\nType=Application\nExec=zelvo --mine\n");
    dlg->Show();
    EXPECT_TRUE(dlg->chkStartAtLogin->Checked());  // read again at showing
    dlg->chkStartAtLogin->SetChecked(false);
    dlg->btnCancelConfig->Click();
    EXPECT_TRUE(dlg->chkStartAtLogin->Checked());
    EXPECT_TRUE(std::filesystem::exists(Entry()));

    // An entry the desktop already starts is the user's: Save leaves it be.
    dlg->Show();
    dlg->btnSaveConfig->Click();
    EXPECT_EQ(Slurp(Entry()), "[Desktop Entry]\nType=Application\nExec=zelvo --mine\n");

    // One the desktop switched off counts as off, and Save turns it on again.
    WriteFile(Entry(), "[Desktop Entry]\nExec=zelvo\nHidden=true\n");
    dlg->Show();
    EXPECT_FALSE(dlg->chkStartAtLogin->Checked());
    dlg->chkStartAtLogin->SetChecked(true);
    dlg->btnSaveConfig->Click();
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
