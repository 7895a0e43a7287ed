// The running-copy marker on Win32: the window a later copy of any build
// finds by its class and title, and a copy not counting its own.
#include <gtest/gtest.h>

#include <memory>

#include "platform/RunningCopy.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform {
namespace {

TEST(Win32RunningCopy, TheMarkerIsTheAboutWindowAndACopyDoesNotFindItself) {
    EXPECT_EQ(::FindWindowW(L"TfrmAbout", L"About\u00A0Zelvo"), nullptr);
    auto marker = std::make_unique<RunningCopyMarker>();
    ::HWND found = ::FindWindowW(L"TfrmAbout", L"About\u00A0Zelvo");
    if (found == nullptr)
        GTEST_SKIP() << "no display to make windows on";
    // Hidden: the About box shows only when asked for.
    EXPECT_FALSE(::IsWindowVisible(found));
    EXPECT_FALSE(RunningCopyExists());
    // An ASCII title of the same letters is another window.
    EXPECT_EQ(::FindWindowW(L"TfrmAbout", L"About Zelvo"), nullptr);
    marker.reset();
    EXPECT_EQ(::FindWindowW(L"TfrmAbout", L"About\u00A0Zelvo"), nullptr);
}

}  // namespace
}  // namespace zelvo::platform
