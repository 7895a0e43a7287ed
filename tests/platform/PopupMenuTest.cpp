#include "platform/PopupMenu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelvo::platform {
namespace {

class PopupMenuTest : public ::testing::Test {
protected:
    PopupMenuTest()
        : previous_(
              PopupMenu::SetTracker([this](const PopupMenu& menu, TPoint at) -> const MenuItem* {
                  opened.push_back(at);
                  return choose < menu.Count() ? &menu.Item(choose) : nullptr;
              })) {}
    ~PopupMenuTest() override { PopupMenu::SetTracker(std::move(previous_)); }

    std::vector<TPoint> opened;
    size_t choose = 99;
    std::vector<std::string> clicked;

private:
    PopupMenu::Tracker previous_;
};

TEST_F(PopupMenuTest, ChosenItemRunsItsHandlerAfterTracking) {
    PopupMenu menu;
    menu.AddItem("&Retrieve", [&] { clicked.push_back("retrieve"); });
    menu.AddSeparator();
    MenuItem& top = menu.AddItem("Always &on Top", [&] { clicked.push_back("top"); });
    top.SetChecked(true);
    EXPECT_TRUE(menu.Item(1).IsSeparator());
    EXPECT_EQ("Always &on Top", menu.Item(2).Caption());

    choose = 2;
    menu.Popup({10, 20});
    EXPECT_EQ(std::vector<std::string>{"top"}, clicked);
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ((TPoint{10, 20}), opened[0]);
}

TEST_F(PopupMenuTest, DisabledItemsSeparatorsAndDismissalDoNothing) {
    PopupMenu menu;
    menu.AddItem("Ca&ncel", [&] { clicked.push_back("cancel"); }).SetEnabled(false);
    menu.AddSeparator();
    for (size_t i : {0u, 1u, 99u}) {
        choose = i;
        menu.Popup({0, 0});
    }
    EXPECT_TRUE(clicked.empty());
    EXPECT_EQ(3u, opened.size());
}

}  // namespace
}  // namespace zelvo::platform
