// The received-lines log that keeps only the last responses.
#include <gtest/gtest.h>

#include "http/HeaderLog.h"

namespace zelvo::http {
namespace {

TEST(HeaderLogTest, OldestResponsesGoFirst) {
    THeaderLog log(2);
    for (const char* r : {"a", "b", "c"}) {
        log.BeginResponse();
        log.Add(std::string(r) + "1");
        log.Add(std::string(r) + "2");
    }
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"b1", "b2", "c1", "c2"}));
    // A response without lines takes no place.
    log.BeginResponse();
    log.BeginResponse();
    log.Add("d1");
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"c1", "c2", "d1"}));
}

TEST(HeaderLogTest, SurvivesACallerEmptyingTheList) {
    THeaderLog log(2);
    log.Add("a");
    log.Add("b");
    log.Lines().clear();
    log.BeginResponse();
    log.Add("c");
    log.BeginResponse();
    log.Add("d");
    log.BeginResponse();
    log.Add("e");
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"d", "e"}));
}

}  // namespace
}  // namespace zelvo::http
