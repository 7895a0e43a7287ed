// The form controls through their own interface; the toolkit's widgets only
// where a user's key or a dying window has to be played.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ComCtrls.h"
#include "platform/Forms.h"
#include "platform/MessageLoop.h"
#include "platform/StdCtrls.h"
#include "platform/linux/ControlImpl.h"
#include "platform/linux/QtLook.h"

namespace zelvo::platform {
namespace {

void PressKey(const TControl& control, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(toolkit::FocusTarget(control), &press);
}

class Controls : public ::testing::Test {
protected:
    Controls() {
        SetExceptionHandler(
            [this](std::exception_ptr e) { failures.push_back(ExceptionMessage(e)); });
    }
    ~Controls() override { SetExceptionHandler({}); }

    TForm form;
    std::vector<std::string> failures;
};

TEST_F(Controls, ButtonClickReachesItsHandlerWithTheSenderAndAFailureGoesToTheLoopsHandler) {
    TButton button(form, "&Go");
    TControl* sender = nullptr;
    button.OnClick = [&](TControl* s) {
        sender = s;
        throw std::runtime_error("handler failed");
    };
    button.Click();
    EXPECT_EQ(sender, &button);
    EXPECT_EQ(failures, (std::vector<std::string>{"handler failed"}));
    button.SetEnabled(false);
    sender = nullptr;
    button.Click();
    EXPECT_EQ(sender, nullptr) << "a disabled button is not clicked";
}

TEST_F(Controls, TextsStayWindows1252BytesBothWays) {
    TEdit edit(form);
    const std::string text = "Caf\xE9 \x80 5 \xA9 \x93quoted\x94";
    edit.SetText(text);
    EXPECT_EQ(edit.Text(), text);
    TLabel label(form, text);
    EXPECT_EQ(label.Caption(), text);
    form.SetCaption("About\xA0Zelvo");
    EXPECT_EQ(form.Caption(), "About\xA0Zelvo");
    EXPECT_EQ(toolkit::WidgetOf(form)->windowTitle(), QString::fromUtf8("About\xC2\xA0Zelvo"));
}

TEST_F(Controls, EditChangesAreReportedAndTheLengthIsHeld) {
    TEdit edit(form);
    int changes = 0;
    edit.OnChange = [&](TControl*) { ++changes; };
    edit.SetMaxLength(5);
    edit.SetText("12345678");
    EXPECT_EQ(edit.Text(), "12345");
    EXPECT_EQ(changes, 1);
    edit.SetText("12345");
    EXPECT_EQ(changes, 1) << "the same text is no change";
    edit.SetPassword(true);
    EXPECT_TRUE(edit.Password());
    EXPECT_EQ(edit.Text(), "12345") << "dots are only what shows";
}

TEST_F(Controls, ComboBoxInsertKeepsTheEditedTextAndDropDownIsAnnouncedFirst) {
    TComboBox list(form);
    list.SetText("typed");
    int changes = 0;
    list.OnChange = [&](TControl*) { ++changes; };
    list.InsertItem(0, "b");
    list.InsertItem(0, "a");
    list.AddItem("c");
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(list.Text(), "typed");
    EXPECT_EQ(changes, 0);
    std::vector<int> seenCounts;
    list.OnDropDown = [&](TControl*) {
        seenCounts.push_back(list.ItemCount());
        list.AddItem("d");  // a list filled just before it opens shows the new item
    };
    form.Show();
    list.DropDown();
    EXPECT_EQ(seenCounts, (std::vector<int>{3}));
    EXPECT_EQ(list.ItemCount(), 4);
    list.SetText("Other");
    EXPECT_EQ(changes, 1);
    list.ClearItems();
    EXPECT_EQ(list.ItemCount(), 0);
}

TEST_F(Controls, CompletionKeepsLetterCaseOnlyWhenAskedTo) {
    TComboBox list(form);
    list.AddItem("http://host/Page");
    auto* completer = toolkit::As<QComboBox>(list)->completer();
    ASSERT_NE(completer, nullptr);
    EXPECT_EQ(completer->caseSensitivity(), Qt::CaseInsensitive);
    list.SetCaseSensitiveCompletion(true);
    EXPECT_EQ(completer->caseSensitivity(), Qt::CaseSensitive);
}

TEST_F(Controls, FixedListSelectsTheItemOfATextAndNothingForAnUnknownOne) {
    TComboBox list(form, TComboBoxStyle::csDropDownList);
    list.AddItem("one");
    list.AddItem("two");
    list.SetText("two");
    EXPECT_EQ(list.ItemIndex(), 1);
    EXPECT_EQ(list.Text(), "two");
    list.SetText("three");
    EXPECT_EQ(list.ItemIndex(), -1);
}

TEST_F(Controls, CheckBoxReportsOnlyChanges) {
    TCheckBox box(form, "Site Enabled");
    int clicks = 0;
    box.OnClick = [&](TControl*) { ++clicks; };
    box.SetChecked(false);
    EXPECT_EQ(clicks, 0);
    box.SetChecked(true);
    box.SetChecked(true);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(box.Checked());
}

TEST_F(Controls, OptionsOfOneContainerExcludeEachOtherAndOnlyTheSelectedOneIsATabStop) {
    TGroupBox first(form, "First");
    TGroupBox second(form, "Second");
    TRadioButton a(first, "A"), b(first, "B"), c(second, "C");
    std::vector<std::string> clicked;
    for (TRadioButton* r : {&a, &b, &c})
        r->OnClick = [&clicked, r](TControl*) { clicked.push_back(r->Caption()); };
    a.SetChecked(true);
    c.SetChecked(true);
    b.SetChecked(true);
    EXPECT_FALSE(a.Checked());
    EXPECT_TRUE(b.Checked());
    EXPECT_TRUE(c.Checked()) << "another container's option is another group";
    EXPECT_EQ(clicked, (std::vector<std::string>{"A", "C", "B"}));
    EXPECT_EQ(toolkit::WidgetOf(a)->focusPolicy() & Qt::TabFocus, 0);
    EXPECT_NE(toolkit::WidgetOf(b)->focusPolicy() & Qt::TabFocus, 0);
}

TEST_F(Controls, TrackBarReportsTheUsersMovesOnly) {
    TTrackBar bar(form);
    bar.SetRange(0, 500);
    bar.SetLineSize(25);
    int changes = 0;
    bar.OnChange = [&](TControl*) { ++changes; };
    bar.SetPosition(250);
    EXPECT_EQ(bar.Position(), 250);
    EXPECT_EQ(changes, 0);
    bar.SetRange(0, 100);
    EXPECT_EQ(bar.Position(), 100);
    EXPECT_EQ(changes, 0) << "a narrower range moves the thumb, not the user";
    PressKey(bar, Qt::Key_Left);
    EXPECT_EQ(bar.Position(), 75);
    EXPECT_EQ(changes, 1);
}

TEST_F(Controls, SpinEditReadsItsTextIntoTheRange) {
    TSpinEdit spin(form, 1, 240, 3);
    spin.SetValue(500);
    EXPECT_EQ(spin.Value(), 240);
    EXPECT_EQ(spin.Text(), "240");
    spin.SetText("abc");
    EXPECT_EQ(spin.Value(), 1) << "no number counts as the minimum";
    EXPECT_EQ(spin.Text(), "abc");
    spin.SetText("999");
    EXPECT_EQ(spin.Value(), 240) << "a number beyond the range never leaves the field";
    spin.SetText("+7");
    EXPECT_EQ(spin.Value(), 7);
    spin.SetText("7x");
    EXPECT_EQ(spin.Value(), 1);
    spin.SetValue(239);
    PressKey(spin, Qt::Key_Up);
    PressKey(spin, Qt::Key_Up);
    EXPECT_EQ(spin.Value(), 240);
    PressKey(spin, Qt::Key_Down);
    EXPECT_EQ(spin.Value(), 239);
    spin.SetText("12345");
    EXPECT_EQ(spin.Text(), "123") << "no more digits than it was made for";
}

TEST_F(Controls, PageControlReportsPageChangesButNotItsOwnDestruction) {
    int changes = 0;
    {
        TPageControl pages(form);
        pages.AddPage("General ");
        TTabSheet& second = pages.AddPage("Site 1     ");
        TLabel onSecond(second, "on the second page");
        EXPECT_EQ(pages.PageCount(), 2);
        EXPECT_EQ(second.Caption(), "Site 1     ");
        pages.OnChange = [&](TControl*) { ++changes; };
        pages.SetActivePageIndex(1);
        EXPECT_EQ(pages.ActivePageIndex(), 1);
        EXPECT_EQ(changes, 1);
    }
    EXPECT_EQ(changes, 1);
}

TEST_F(Controls, AControlWhoseWindowWentWithItsContainerDoesNothing) {
    auto box = std::make_unique<TGroupBox>(form, "Box");
    TEdit edit(*box);
    TButton button(*box, "OK");
    edit.SetText("kept");
    box.reset();
    EXPECT_EQ(toolkit::WidgetOf(edit), nullptr);
    EXPECT_EQ(edit.Text(), "");
    edit.SetText("ignored");
    button.Click();
    EXPECT_FALSE(edit.Visible());
    EXPECT_EQ(edit.Width(), 0);
}

TEST_F(Controls, FontHeightTakesPrecedenceOverSizeAndEffectsRoundTrip) {
    TLabel label(form, "Zelvo");
    TFont f = label.Font();
    f.Bold = true;
    f.Height = 20;
    f.Size = 30;
    label.SetFont(f);
    TFont got = label.Font();
    EXPECT_TRUE(got.Bold);
    EXPECT_EQ(got.Height, 20);
    EXPECT_EQ(got.Size, 0);
    f = TFont{};
    f.Size = 10;
    f.Italic = true;
    label.SetFont(f);
    got = label.Font();
    EXPECT_EQ(got.Size, 10);
    EXPECT_TRUE(got.Italic);
    EXPECT_FALSE(got.Bold);
}

TEST_F(Controls, ArrangedControlsStandInOrderAndHiddenOnesTakeNoRoom) {
    auto& column = form.ArrangeInColumn();
    TLabel top(form, "top");
    TEdit middle(form);
    TButton left(form, "left"), right(form, "right");
    column.Add(top);
    column.Add(middle);
    auto& row = column.AddRow();
    row.Add(left);
    row.Add(right);
    column.AddStretch();
    form.Show();
    ProcessMessages();
    EXPECT_LT(top.Top(), middle.Top());
    EXPECT_LT(middle.Top(), left.Top());
    EXPECT_EQ(left.Top(), right.Top());
    EXPECT_LT(left.Left(), right.Left());
    EXPECT_TRUE(middle.Visible());
    const int before = left.Top();
    middle.SetVisible(false);
    ProcessMessages();
    EXPECT_FALSE(middle.Visible());
    EXPECT_LT(left.Top(), before);
}

TEST_F(Controls, GridCellsShareTheirColumnsEdgesAndTheirRowsLines) {
    auto& grid = form.ArrangeInColumn().AddGrid();
    TLabel user(form, "Username:"), pass(form, "Password, longer:");
    TEdit userField(form), passField(form);
    grid.Add(user, 0, 0);
    grid.Add(userField, 0, 1);
    grid.Add(pass, 1, 0);
    grid.Add(passField, 1, 1);
    form.Show();
    ProcessMessages();
    EXPECT_EQ(userField.Left(), passField.Left());
    EXPECT_GE(userField.Left(), pass.Left() + pass.Width());
    EXPECT_LT(userField.Top(), passField.Top());
}

TEST_F(Controls, CheckAndOptionClicksActAsTheUsers) {
    TCheckBox box(form, "Smooth");
    TRadioButton a(form, "A"), b(form, "B");
    int boxClicks = 0, optionClicks = 0;
    box.OnClick = [&](TControl*) { ++boxClicks; };
    b.OnClick = [&](TControl*) { ++optionClicks; };
    box.Click();
    box.Click();
    EXPECT_EQ(boxClicks, 2);
    EXPECT_FALSE(box.Checked());
    a.Click();
    b.Click();
    b.Click();
    EXPECT_TRUE(b.Checked());
    EXPECT_FALSE(a.Checked());
    EXPECT_EQ(optionClicks, 1) << "a selected option clicked again stays as it is";
}

TEST_F(Controls, TabOrderGoesThroughTheNumberFieldItself) {
    TEdit first(form);
    TSpinEdit spin(form, 0, 99, 2);
    TEdit last(form);
    SetTabOrder({&last, &spin, &first});
    QWidget* next = toolkit::FocusTarget(last)->nextInFocusChain();
    EXPECT_EQ(next, toolkit::FocusTarget(spin));
    EXPECT_NE(toolkit::FocusTarget(spin), toolkit::WidgetOf(spin));
}

// The program's colours are 0x00BBGGRR; the toolkit's are red first.
TEST(ToolkitLook, ColoursAreBlueGreenRedBothWays) {
    EXPECT_EQ(toolkit::ToQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(toolkit::ToQColor(12632256), QColor(192, 192, 192));
    EXPECT_EQ(toolkit::FromQColor(QColor(0x12, 0x34, 0x56)), 0x563412);
}

TEST(ToolkitLook, AFontKeepsItsFaceSizeAndEffects) {
    TFont f;
    f.Name = "Sans";
    f.Size = 11;
    f.Italic = true;
    f.StrikeOut = true;
    const TFont back = toolkit::FromQFont(toolkit::ToQFont(f));
    EXPECT_EQ(back.Name, "Sans");
    EXPECT_EQ(back.Size, 11);
    EXPECT_TRUE(back.Italic && back.StrikeOut && !back.Underline && !back.Bold);
    TFont sizeless;
    sizeless.Name = "Sans";
    EXPECT_EQ(toolkit::ToQFont(sizeless).pointSize(), 8);
}

}  // namespace
}  // namespace zelvo::platform
