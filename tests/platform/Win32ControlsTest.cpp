// The form controls as Win32 controls: the messages the system sends when
// the user acts reach the controls' handlers, texts keep their
// Windows-1252 bytes, and the arrangement sizes controls from their fonts.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ComCtrls.h"
#include "platform/Forms.h"
#include "platform/MessageLoop.h"
#include "platform/StdCtrls.h"
#include "platform/win32/ControlImpl.h"

namespace zelvo::platform {
namespace {

using win32::FocusTarget;
using win32::WindowOf;

std::wstring WideTextOf(::HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

// The container hears the control's notification as the system sends it.
void Notify(const TControl& control, ::UINT code) {
    ::HWND w = WindowOf(control);
    ::SendMessageW(::GetParent(w), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(w), code),
                   reinterpret_cast<::LPARAM>(w));
}

void Type(::HWND field, const std::string& text) {
    for (char c : text)
        ::SendMessageW(field, WM_CHAR, static_cast<unsigned char>(c), 0);
}

class Win32Controls : public ::testing::Test {
protected:
    void SetUp() override {
        if (WindowOf(form) == nullptr)
            GTEST_SKIP() << "no display to make windows on";
        SetExceptionHandler(
            [this](std::exception_ptr e) { failures.push_back(ExceptionMessage(e)); });
    }
    void TearDown() override { SetExceptionHandler({}); }

    TForm form;
    std::vector<std::string> failures;
};

TEST_F(Win32Controls, AButtonsClickMessageReachesItsHandlerAndAFailureGoesToTheLoopsHandler) {
    TButton button(form, "&Go");
    form.Show();
    TControl* sender = nullptr;
    button.OnClick = [&](TControl* s) {
        sender = s;
        throw std::runtime_error("handler failed");
    };
    ::SendMessageW(WindowOf(button), BM_CLICK, 0, 0);
    EXPECT_EQ(sender, &button);
    EXPECT_EQ(failures, (std::vector<std::string>{"handler failed"}));
    button.SetEnabled(false);
    sender = nullptr;
    button.Click();
    EXPECT_EQ(sender, nullptr) << "a disabled button is not clicked";
}

TEST_F(Win32Controls, TextsStayWindows1252BytesAndShowAsTheirCharacters) {
    const std::string text = "Caf\xE9 \x80 5 \xA9 \x93quoted\x94";
    TEdit edit(form);
    edit.SetText(text);
    EXPECT_EQ(edit.Text(), text);
    EXPECT_EQ(WideTextOf(WindowOf(edit)), L"Caf\u00E9 \u20AC 5 \u00A9 \u201Cquoted\u201D");
    TLabel label(form, text);
    EXPECT_EQ(label.Caption(), text);
    TComboBox list(form);
    list.AddItem(text);
    EXPECT_EQ(list.Item(0), text);
    TCheckBox box(form,
                  "\x84"
                  "Gr\xFC\xDF"
                  "e\x93");
    EXPECT_EQ(box.Caption(),
              "\x84"
              "Gr\xFC\xDF"
              "e\x93");
    form.SetCaption("About\xA0Zelvo");
    EXPECT_EQ(form.Caption(), "About\xA0Zelvo");
    EXPECT_EQ(WideTextOf(WindowOf(form)), L"About\u00A0Zelvo");
    // What the desktop holds beyond Windows-1252 comes back as '?'.
    ::SetWindowTextW(WindowOf(edit), L"\u0416x");
    EXPECT_EQ(edit.Text(), "?x");
}

TEST_F(Win32Controls, EditChangesAreReportedOnceAndTheLengthHoldsForTypedAndSetTexts) {
    TEdit edit(form);
    int changes = 0;
    edit.OnChange = [&](TControl*) { ++changes; };
    edit.SetMaxLength(5);
    edit.SetText("12345678");
    EXPECT_EQ(edit.Text(), "12345");
    EXPECT_EQ(changes, 1);
    edit.SetText("12345");
    EXPECT_EQ(changes, 1) << "the same text is no change";
    edit.SetText("");
    Type(WindowOf(edit), "abcdefg");
    EXPECT_EQ(edit.Text(), "abcde");
    EXPECT_EQ(changes, 7) << "one change per typed character the field took";
    edit.SetPassword(true);
    EXPECT_TRUE(edit.Password());
    EXPECT_EQ(edit.Text(), "abcde") << "dots are only what shows";
}

TEST_F(Win32Controls, ComboBoxKeepsItsTextWhileFilledAndAnnouncesTheListBeforeItOpens) {
    TComboBox list(form);
    form.ArrangeInColumn().Add(list);
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
        list.AddItem("d");
    };
    form.Show();
    list.DropDown();
    ::SendMessageW(WindowOf(list), CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(seenCounts, (std::vector<int>{3}));
    EXPECT_EQ(list.ItemCount(), 4);

    // The user picking an item: the selection moves, then the list says so.
    ::SendMessageW(WindowOf(list), CB_SETCURSEL, 1, 0);
    Notify(list, CBN_SELCHANGE);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(list.Text(), "b");
    EXPECT_EQ(list.ItemIndex(), 1);
    list.SetText("Other");
    EXPECT_EQ(changes, 2);
    list.ClearItems();
    EXPECT_EQ(list.ItemCount(), 0);
}

TEST_F(Win32Controls, TypingCompletesFromTheItemsKeepingWhatWasTyped) {
    TComboBox list(form);
    list.AddItem("http://host/Page");
    form.Show();
    ::HWND field = ::FindWindowExW(WindowOf(list), nullptr, L"Edit", nullptr);
    ASSERT_NE(field, nullptr);
    Type(field, "HT");
    EXPECT_EQ(list.Text(), "HTtp://host/Page") << "the typed letters keep their case";
    list.SetText("");
    list.SetCaseSensitiveCompletion(true);
    Type(field, "HT");
    EXPECT_EQ(list.Text(), "HT");
    list.SetText("");
    Type(field, "ht");
    EXPECT_EQ(list.Text(), "http://host/Page");
    ::SendMessageW(field, WM_CHAR, VK_BACK, 0);
    EXPECT_EQ(list.Text(), "ht") << "deleting the completion completes nothing";
}

TEST_F(Win32Controls, FixedListSelectsTheItemOfATextAndNothingForAnUnknownOne) {
    TComboBox list(form, TComboBoxStyle::csDropDownList);
    list.AddItem("one");
    list.AddItem("two");
    list.AddItem("TWO");
    list.SetText("TWO");
    EXPECT_EQ(list.ItemIndex(), 2) << "letter case tells items apart";
    EXPECT_EQ(list.Text(), "TWO");
    list.SetText("three");
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(list.Text(), "");
}

TEST_F(Win32Controls, CheckBoxReportsOnlyChangesWhoeverMakesThem) {
    TCheckBox box(form, "Site Enabled");
    form.Show();
    int clicks = 0;
    box.OnClick = [&](TControl*) { ++clicks; };
    box.SetChecked(false);
    EXPECT_EQ(clicks, 0);
    box.SetChecked(true);
    box.SetChecked(true);
    EXPECT_EQ(clicks, 1);
    ::SendMessageW(WindowOf(box), BM_CLICK, 0, 0);
    EXPECT_FALSE(box.Checked());
    EXPECT_EQ(clicks, 2);
    box.Click();
    EXPECT_TRUE(box.Checked());
    EXPECT_EQ(clicks, 3);
}

TEST_F(Win32Controls, OptionsOfOneContainerExcludeEachOtherAndOnlyTheSelectedOneIsATabStop) {
    TGroupBox first(form, "First");
    TGroupBox second(form, "Second");
    TRadioButton a(first, "A"), b(first, "B"), c(second, "C");
    form.Show();
    std::vector<std::string> clicked;
    for (TRadioButton* r : {&a, &b, &c})
        r->OnClick = [&clicked, r](TControl*) { clicked.push_back(r->Caption()); };
    a.SetChecked(true);
    c.SetChecked(true);
    ::SendMessageW(WindowOf(b), BM_CLICK, 0, 0);
    ::SendMessageW(WindowOf(b), BM_CLICK, 0, 0);
    EXPECT_FALSE(a.Checked());
    EXPECT_TRUE(b.Checked());
    EXPECT_TRUE(c.Checked()) << "another container's option is another group";
    EXPECT_EQ(clicked, (std::vector<std::string>{"A", "C", "B"}));
    auto tabStop = [](const TControl& r) {
        return (::GetWindowLongPtrW(WindowOf(r), GWL_STYLE) & WS_TABSTOP) != 0;
    };
    EXPECT_FALSE(tabStop(a));
    EXPECT_TRUE(tabStop(b));
    // The options of a container are one group of the dialog keys.
    EXPECT_EQ(::GetNextDlgGroupItem(WindowOf(first), WindowOf(b), FALSE), WindowOf(a));
}

TEST_F(Win32Controls, TrackBarReportsTheUsersMovesOnly) {
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
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(changes, 0) << "a narrower range moves the thumb, not the user";
    ::SendMessageW(WindowOf(bar), WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(bar.Position(), 75);
    EXPECT_EQ(changes, 1) << "the move and its closing notice are one change";
}

TEST_F(Win32Controls, SpinEditReadsItsTextIntoTheRangeAndStepsWithTheArrows) {
    TSpinEdit spin(form, 1, 240, 3);
    TEdit other(form);
    form.Show();
    spin.SetValue(500);
    EXPECT_EQ(spin.Value(), 240);
    EXPECT_EQ(spin.Text(), "240");
    spin.SetText("abc");
    EXPECT_EQ(spin.Value(), 1) << "no number counts as the minimum";
    EXPECT_EQ(spin.Text(), "abc");
    spin.SetText("+7");
    EXPECT_EQ(spin.Value(), 7);
    spin.SetText("7x");
    EXPECT_EQ(spin.Value(), 1);
    spin.SetText("12345");
    EXPECT_EQ(spin.Text(), "123") << "no more digits than it was made for";

    spin.SetValue(239);
    spin.SetFocus();
    ASSERT_TRUE(spin.Focused());
    ::SendMessageW(FocusTarget(spin), WM_KEYDOWN, VK_UP, 0);
    ::SendMessageW(FocusTarget(spin), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(spin.Value(), 240);
    ::SendMessageW(FocusTarget(spin), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(spin.Value(), 239);

    // The arrow buttons: the system asks before it moves.
    ::HWND arrows = ::FindWindowExW(WindowOf(spin), nullptr, UPDOWN_CLASSW, nullptr);
    ASSERT_NE(arrows, nullptr);
    NMUPDOWN press{};
    press.hdr = {arrows, static_cast<UINT_PTR>(::GetDlgCtrlID(arrows)), UDN_DELTAPOS};
    press.iDelta = -1;
    EXPECT_NE(::SendMessageW(WindowOf(spin), WM_NOTIFY, press.hdr.idFrom,
                             reinterpret_cast<::LPARAM>(&press)),
              0);
    EXPECT_EQ(spin.Text(), "238");

    // Leaving the field takes a typed number outside the range into it.
    spin.SetText("999");
    EXPECT_EQ(spin.Value(), 240) << "a number beyond the range never leaves the field";
    other.SetFocus();
    EXPECT_EQ(spin.Text(), "240");
}

TEST_F(Win32Controls, PageControlShowsOnePageAndReportsChangesButNotItsOwnDestruction) {
    int changes = 0;
    {
        TPageControl pages(form);
        TTabSheet& first = pages.AddPage("General ");
        TTabSheet& second = pages.AddPage("Site 1     ");
        TLabel onSecond(second, "on the second page");
        EXPECT_EQ(pages.PageCount(), 2);
        EXPECT_EQ(second.Caption(), "Site 1     ");
        EXPECT_TRUE(first.Visible());
        EXPECT_FALSE(second.Visible());
        pages.OnChange = [&](TControl*) { ++changes; };
        pages.SetActivePageIndex(1);
        EXPECT_EQ(pages.ActivePageIndex(), 1);
        EXPECT_EQ(changes, 1);
        EXPECT_FALSE(first.Visible());
        EXPECT_TRUE(second.Visible());

        // The user's click on a tab: the selection moves, then the tabs say so.
        ::SendMessageW(WindowOf(pages), TCM_SETCURSEL, 0, 0);
        NMHDR header{WindowOf(pages), static_cast<UINT_PTR>(::GetDlgCtrlID(WindowOf(pages))),
                     static_cast<::UINT>(TCN_SELCHANGE)};
        ::SendMessageW(WindowOf(form), WM_NOTIFY, header.idFrom,
                       reinterpret_cast<::LPARAM>(&header));
        EXPECT_EQ(changes, 2);
        EXPECT_TRUE(first.Visible());
    }
    EXPECT_EQ(changes, 2);
}

TEST_F(Win32Controls, AControlWhoseWindowWentWithItsContainerDoesNothing) {
    auto box = std::make_unique<TGroupBox>(form, "Box");
    TEdit edit(*box);
    TButton button(*box, "OK");
    int clicks = 0;
    button.OnClick = [&](TControl*) { ++clicks; };
    edit.SetText("kept");
    box.reset();
    EXPECT_EQ(WindowOf(edit), nullptr);
    EXPECT_EQ(edit.Text(), "");
    edit.SetText("ignored");
    button.Click();
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(edit.Visible());
    EXPECT_EQ(edit.Width(), 0);
}

TEST_F(Win32Controls, FontHeightTakesPrecedenceOverSizeAndContainersPassTheirsOn) {
    TPanel panel(form);
    TLabel label(panel, "Zelvo");
    TFont f = label.Font();
    EXPECT_FALSE(f.Name.empty()) << "controls start in the desktop's dialog font";
    EXPECT_GT(f.Size, 0);
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
    EXPECT_EQ(got.Name, label.Font().Name) << "no name keeps the face";

    TEdit field(panel);
    TFont big;
    big.Size = 20;
    panel.SetFont(big);
    EXPECT_EQ(field.Font().Size, 20) << "a control without a font of its own takes its container's";
    EXPECT_EQ(label.Font().Size, 10) << "one with its own keeps it";
    LOGFONTW shown{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(WindowOf(field), WM_GETFONT, 0, 0)),
                 sizeof shown, &shown);
    EXPECT_EQ(-shown.lfHeight, ::MulDiv(20, win32::DpiOf(WindowOf(field)), 72));
}

TEST_F(Win32Controls, ArrangedControlsStandInOrderAndHiddenOnesTakeNoRoom) {
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
    EXPECT_LE(top.Top() + top.Height(), middle.Top());
    EXPECT_LE(middle.Top() + middle.Height(), left.Top());
    EXPECT_EQ(left.Top(), right.Top());
    EXPECT_LE(left.Left() + left.Width(), right.Left());
    EXPECT_GT(middle.Width(), left.Width()) << "a field takes the row's width";
    const int before = left.Top();
    middle.SetVisible(false);
    ProcessMessages();
    EXPECT_FALSE(middle.Visible());
    EXPECT_LT(left.Top(), before);
}

TEST_F(Win32Controls, GridCellsShareTheirColumnsEdgesAndTheirRowsLines) {
    auto& grid = form.ArrangeInColumn().AddGrid();
    TLabel user(form, "Username:"), pass(form, "Password, longer:");
    TEdit userField(form), passField(form);
    grid.Add(user, 0, 0);
    grid.Add(userField, 0, 1);
    grid.Add(pass, 1, 0);
    grid.Add(passField, 1, 1);
    form.Show();
    EXPECT_EQ(userField.Left(), passField.Left());
    EXPECT_GE(userField.Left(), pass.Left() + pass.Width());
    EXPECT_LT(userField.Top(), passField.Top());
}

TEST_F(Win32Controls, SizesFollowTheTextsAndTheFont) {
    TLabel shortLabel(form, "W"), longLabel(form, "WWWWWWWWWW");
    EXPECT_GT(win32::NeededSize(longLabel).cx, win32::NeededSize(shortLabel).cx);
    TButton ok(form, "OK");
    EXPECT_GE(win32::NeededSize(ok).cx, win32::Scale(WindowOf(ok), 75));
    TEdit two(form), six(form);
    two.FitToDigits(2);
    six.FitToDigits(6);
    EXPECT_GT(six.Width(), two.Width());
    TLabel plain(form, "Sized"), large(form, "Sized");
    TFont f;
    f.Size = 24;
    large.SetFont(f);
    EXPECT_GT(win32::NeededSize(large).cy, win32::NeededSize(plain).cy);

    TPageControl pages(form);
    for (const char* caption : {"General ", "Site 1     ", "Site 2     ", "Site 3     "})
        pages.AddPage(caption);
    RECT lastTab{};
    ::SendMessageW(WindowOf(pages), TCM_GETITEMRECT, 3, reinterpret_cast<::LPARAM>(&lastTab));
    EXPECT_GE(win32::NeededSize(pages).cx, lastTab.right) << "every tab stands whole";
}

TEST_F(Win32Controls, TabOrderGoesThroughTheNumberFieldItself) {
    TEdit first(form);
    TSpinEdit spin(form, 0, 99, 2);
    TEdit last(form);
    SetTabOrder({&last, &spin, &first});
    form.Show();
    EXPECT_NE(FocusTarget(spin), WindowOf(spin));
    EXPECT_EQ(::GetNextDlgTabItem(WindowOf(form), FocusTarget(last), FALSE), FocusTarget(spin));
    EXPECT_EQ(::GetNextDlgTabItem(WindowOf(form), FocusTarget(spin), FALSE), FocusTarget(first));
}

}  // namespace
}  // namespace zelvo::platform
