#include "platform/TrayNotify.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/linux/TrayIconHost.h"
#include "support/DialogRecorder.h"

namespace zelvo::platform {
namespace {

TEST(TrayNotify, WithoutAnyNotificationAreaTheProgramIsToldOnce) {
    if (std::getenv("DISPLAY") != nullptr || std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr)
        GTEST_SKIP() << "a desktop may be present";
    testing::DialogRecorder dialogs;
    std::unique_ptr<NotificationArea> area = CreateDesktopArea();
    NotifyIconData data;
    data.hWnd = 0x77;
    data.uID = 42;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    EXPECT_FALSE(area->Notify(NIM_ADD, data));
    EXPECT_FALSE(area->Notify(NIM_ADD, data));
    EXPECT_FALSE(area->Notify(NIM_MODIFY, data));
    EXPECT_FALSE(area->Notify(NIM_DELETE, data));
    ASSERT_EQ(1u, dialogs.boxes.size());
    EXPECT_EQ("Warning", dialogs.boxes[0].caption);
    EXPECT_EQ("No notification area was found; the tray icon cannot be shown.  ",
              dialogs.boxes[0].text);
}

}  // namespace
}  // namespace zelvo::platform
