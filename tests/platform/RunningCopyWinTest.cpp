// The running-copy marker on Windows. One case in all: the marker is the
// session's, and shards of this suite run at once.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/RunningCopy.h"
// After the platform's headers, whose names the system's macros spell too.
#include <windows.h>

using namespace zelvo::platform;

namespace {

constexpr char kHolderEvent[] = "ZELVO_TEST_HOLDER_EVENT";

// A copy of this program that holds the marker until it is killed, told
// apart by the name of the event it signals once it holds it.
TEST(RunningCopyHolder, HoldsTheMarkerUntilKilled) {
    const char* event = std::getenv(kHolderEvent);
    if (event == nullptr)
        GTEST_SKIP() << "started only by the running-copy case";
    RunningCopyMarker marker;
    HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, event);
    ASSERT_NE(ready, nullptr);
    ::SetEvent(ready);
    ::Sleep(INFINITE);
}

PROCESS_INFORMATION StartHolder(const std::string& eventName) {
    char exe[MAX_PATH];
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string command =
        std::string("\"") + exe + "\" --gtest_filter=RunningCopyHolder.HoldsTheMarkerUntilKilled";
    ::SetEnvironmentVariableA(kHolderEvent, eventName.c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Unsharded: the holder's one case must run whatever shard started it.
    ::SetEnvironmentVariableA("GTEST_TOTAL_SHARDS", nullptr);
    ::SetEnvironmentVariableA("GTEST_SHARD_INDEX", nullptr);
    ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process);
    ::SetEnvironmentVariableA(kHolderEvent, nullptr);
    return process;
}

TEST(RunningCopy, SeenWhileAnyCopyHoldsItAndNotAfterAKill) {
    EXPECT_FALSE(RunningCopyExists());
    EXPECT_FALSE(RunningCopyExists());  // looking does not leave a marker behind
    {
        RunningCopyMarker mine;
        EXPECT_TRUE(RunningCopyExists());
    }
    EXPECT_FALSE(RunningCopyExists());

    const std::string eventName = "ZelvoHolderReady" + std::to_string(::GetCurrentProcessId());
    HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(ready, nullptr);
    PROCESS_INFORMATION holder = StartHolder(eventName);
    ASSERT_NE(holder.hProcess, nullptr);
    EXPECT_EQ(::WaitForSingleObject(ready, 30000), WAIT_OBJECT_0);
    EXPECT_TRUE(RunningCopyExists());
    ::TerminateProcess(holder.hProcess, 9);
    ::WaitForSingleObject(holder.hProcess, 30000);
    EXPECT_FALSE(RunningCopyExists());
    ::CloseHandle(holder.hThread);
    ::CloseHandle(holder.hProcess);
    ::CloseHandle(ready);
}

}  // namespace
