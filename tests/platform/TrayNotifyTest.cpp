#include "platform/TrayNotify.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/linux/TrayIconHost.h"
#include "support/DialogRecorder.h"

namespace zelvo::platform {
namespace {

TEST(TrayNotify, WithoutAnyNotificationAreaNothingBlocksAndTheProgramCanAsk) {
    if (std::getenv("DISPLAY") != nullptr || std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr)
        GTEST_SKIP() << "a desktop may be present";
    testing::DialogRecorder dialogs;
    std::unique_ptr<NotificationArea> area = CreateDesktopArea();
    EXPECT_FALSE(area->Missing());
    NotifyIconData data;
    data.hWnd = 0x77;
    data.uID = 42;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    EXPECT_FALSE(area->Notify(NIM_ADD, data));
    EXPECT_FALSE(area->Notify(NIM_ADD, data));
    EXPECT_FALSE(area->Notify(NIM_MODIFY, data));
    EXPECT_FALSE(area->Notify(NIM_DELETE, data));
    // No box stops start-up here: the program says it once its strip is up.
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_TRUE(area->Missing());
}

}  // namespace
}  // namespace zelvo::platform
