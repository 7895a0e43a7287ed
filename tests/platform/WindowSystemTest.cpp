#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/Application.h"
#include "support/ScopedEnv.h"

namespace zelvo::platform {
namespace {

using zelvo::testing::ScopedEnv;

std::string Chosen() {
    const char* v = std::getenv("QT_QPA_PLATFORM");
    return v != nullptr ? v : "";
}

TEST(WindowSystem, XIsChosenUnderWaylandUnlessTheUserChoseOrThereIsNoXServer) {
    {
        ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-0");
        ScopedEnv session("XDG_SESSION_TYPE", "wayland");
        ScopedEnv display("DISPLAY", ":7");
        ScopedEnv platform("QT_QPA_PLATFORM", "");
        ChooseWindowSystem();
        EXPECT_EQ("xcb", Chosen());
    }
    {
        ScopedEnv display("DISPLAY", ":7");
        ScopedEnv platform("QT_QPA_PLATFORM", "wayland");
        ChooseWindowSystem();
        EXPECT_EQ("wayland", Chosen()) << "the user's choice stands";
    }
    {
        // A Wayland session without its X server: the toolkit picks.
        ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-0");
        ScopedEnv display("DISPLAY", "");
        ScopedEnv platform("QT_QPA_PLATFORM", "");
        ChooseWindowSystem();
        EXPECT_EQ("", Chosen());
    }
}

}  // namespace
}  // namespace zelvo::platform
