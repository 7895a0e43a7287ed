#include "platform/SessionEnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MessageLoop.h"

namespace zelvo::platform {
namespace {

struct Recorded {
    std::vector<std::string> log;
    MessageWindow Window(const std::string& name, LRESULT answer) {
        return MessageWindow([this, name, answer](UINT msg, WPARAM w, LPARAM) -> LRESULT {
            if (msg == WM_QUERYENDSESSION) {
                log.push_back(name + " query");
                return answer;
            }
            if (msg == WM_ENDSESSION)
                log.push_back(name + " end " + std::to_string(w));
            return 0;
        });
    }
};

TEST(SessionEnd, EveryWindowIsAskedThenToldTheOutcome) {
    Recorded r;
    MessageWindow a = r.Window("a", 1);
    MessageWindow b = r.Window("b", 0);
    RegisterSessionWindow(a.Handle());
    RegisterSessionWindow(b.Handle());
    RegisterSessionWindow(b.Handle());

    EXPECT_FALSE(DeliverSessionEnd(true));
    EXPECT_EQ((std::vector<std::string>{"a query", "b query", "a end 0", "b end 0"}), r.log);

    r.log.clear();
    EXPECT_TRUE(DeliverSessionEnd(false)) << "a forced end cannot be refused";
    EXPECT_EQ((std::vector<std::string>{"a query", "b query", "a end 1", "b end 1"}), r.log);

    UnregisterSessionWindow(b.Handle());
    r.log.clear();
    EXPECT_TRUE(DeliverSessionEnd(true));
    EXPECT_EQ((std::vector<std::string>{"a query", "a end 1"}), r.log);
    UnregisterSessionWindow(a.Handle());
}

TEST(SessionEnd, DestroyedWindowsAreSkipped) {
    Recorded r;
    HWND gone;
    {
        MessageWindow w = r.Window("gone", 1);
        gone = w.Handle();
        RegisterSessionWindow(gone);
    }
    EXPECT_TRUE(DeliverSessionEnd(true));
    EXPECT_TRUE(r.log.empty());
    UnregisterSessionWindow(gone);
}

}  // namespace
}  // namespace zelvo::platform
