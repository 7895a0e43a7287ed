// A form's showing, closing and modal loop, played as the user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "platform/Forms.h"
#include "platform/MessageLoop.h"
#include "platform/StdCtrls.h"
#include "platform/linux/ControlImpl.h"

namespace zelvo::platform {
namespace {

class Forms : public ::testing::Test {
protected:
    Forms() {
        form.OnShow = [this](TControl*) { events.push_back("show"); };
        form.OnHide = [this](TControl*) { events.push_back("hide"); };
    }

    // Runs fn once the modal loop has started.
    static void Later(std::function<void()> fn) { QTimer::singleShot(0, std::move(fn)); }

    void PressEscape() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(toolkit::WidgetOf(form), &press);
    }

    std::vector<std::string> events;
    TForm form;
};

TEST_F(Forms, ShowAndHideReachTheirHandlersOncePerChange) {
    EXPECT_FALSE(form.Visible());
    form.Show();
    form.Show();
    EXPECT_TRUE(form.Visible());
    form.Hide();
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(events, (std::vector<std::string>{"show", "hide"}));
}

TEST_F(Forms, ShowModalReturnsTheResultAButtonSets) {
    TButton ok(form, "OK");
    ok.OnClick = [this](TControl*) { form.SetModalResult(mrOk); };
    bool modalInside = false;
    Later([&] {
        modalInside = form.Modal();
        ok.Click();
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_TRUE(modalInside);
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(form.Modal());
    EXPECT_EQ(events, (std::vector<std::string>{"show", "hide"}));
}

TEST_F(Forms, EscapeCancelsWithoutAHandlerAndRunsTheHandlerInsteadWithOne) {
    Later([this] { PressEscape(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);

    int cancels = 0;
    form.OnCancel = [&](TControl*) {
        ++cancels;
        if (cancels == 2)
            form.SetModalResult(mrOk);
    };
    Later([this] {
        PressEscape();
        EXPECT_TRUE(form.Visible()) << "the handler decides";
        PressEscape();
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(cancels, 2);
}

TEST_F(Forms, CloseRunsItsHandlerThenHidesAndEndsAModalLoop) {
    form.Show();
    int closes = 0;
    bool visibleInHandler = false;
    form.OnClose = [&](TControl*) {
        ++closes;
        visibleInHandler = form.Visible();
    };
    form.Close();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(visibleInHandler);
    EXPECT_FALSE(form.Visible());

    form.OnClose = [&](TControl*) {
        ++closes;
        form.SetModalResult(mrOk);
    };
    Later([this] { form.Close(); });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(closes, 2);

    form.OnClose = nullptr;
    Later([this] { form.Close(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
}

TEST_F(Forms, AFormDestroyedWhileShownRunsNoHandler) {
    std::vector<std::string> seen;
    {
        TForm shown;
        TEdit field(shown);
        shown.OnHide = [&](TControl*) { seen.push_back("hide"); };
        field.OnChange = [&](TControl*) { seen.push_back("change"); };
        shown.Show();
    }
    EXPECT_TRUE(seen.empty());
}

TEST_F(Forms, FittingFixesTheSizeAtTheContentsButNeverBelowTheLeast) {
    TLabel wide(form, std::string(200, 'W'));
    form.ArrangeInColumn().Add(wide);
    form.FitToContents(100, 80);
    EXPECT_GT(form.Width(), 100);
    EXPECT_EQ(form.Height(), 80) << "one line needs less than the least";
    const int fitted = form.Width();
    QWidget* w = toolkit::WidgetOf(form);
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    wide.SetCaption("W");
    form.FitToContents(100, 80);
    EXPECT_EQ(form.Width(), 100);
    EXPECT_LT(form.Width(), fitted);
}

TEST_F(Forms, AFontChangeIsReportedSoTheFormCanFitItsControls) {
    int fits = 0;
    form.OnFontChange = [&](TControl*) { ++fits; };
    TFont f = form.Font();
    f.Size = f.Size > 0 ? f.Size + 4 : 14;
    form.SetFont(f);
    EXPECT_EQ(fits, 1);
}

}  // namespace
}  // namespace zelvo::platform
