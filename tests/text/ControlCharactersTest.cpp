#include "text/ControlCharacters.h"

#include "text/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace zelvo::text {
namespace {

std::string Dropped(std::string text) {
    DropControls(text);
    return text;
}

const std::string kFffd = "\xEF\xBF\xBD";

TEST(DropControlsTest, LineBreaksAndTabsBecomeBlanksOtherC0AndDelGo) {
    EXPECT_EQ(Dropped("a\tb\nc\rd\fe"), "a b c d e");
    EXPECT_EQ(Dropped(std::string("\x1B[2Jx\x07y\x08\x00z\x7F", 12)), "[2Jxyz");
    EXPECT_EQ(Dropped(""), "");
    EXPECT_EQ(Dropped("\x1B\x1B\x1B"), "");
}

TEST(DropControlsTest, C1ControlsGoButLatinOneLettersStay) {
    EXPECT_EQ(Dropped("a\xC2\x9B"
                      "2Jb\xC2\x85"
                      "c\xC2\x80\xC2\x9F"),
              "a2Jbc");
    EXPECT_EQ(Dropped("\xC2\xA0\xC2\xBF\xC3\xA9"), "\xC2\xA0\xC2\xBF\xC3\xA9");
}

TEST(DropControlsTest, DirectionControlsGoTheTextsOwnDirectionStays) {
    // U+202E would turn the rest of the strip around.
    EXPECT_EQ(Dropped("abc\xE2\x80\xAE"
                      "def"),
              "abcdef");
    for (const char* control : {"\xE2\x80\xAA", "\xE2\x80\xAB", "\xE2\x80\xAC", "\xE2\x80\xAD",
                                "\xE2\x81\xA6", "\xE2\x81\xA7", "\xE2\x81\xA8", "\xE2\x81\xA9"})
        EXPECT_EQ(Dropped(std::string("x") + control + "y"), "xy") << control;
    // Neighbours of the ranges, the marks and right-to-left letters stay.
    const std::string kept =
        "\xE2\x80\xA9\xE2\x80\xAF\xE2\x81\xA5\xE2\x81\xAA\xE2\x80\x8F\xD7\xA9\xD7\x9C";
    EXPECT_EQ(Dropped(kept), kept);
}

TEST(DropControlsTest, LeavesIllFormedBytesAndCutSequencesAlone) {
    EXPECT_EQ(Dropped("\xC2"), "\xC2");
    EXPECT_EQ(Dropped("a\xE2\x80"), "a\xE2\x80");
    EXPECT_EQ(Dropped("\xC2\x7F"), "\xC2");
    EXPECT_EQ(Dropped("\xFF\xFE"), "\xFF\xFE");
}

TEST(TerminalSafeTest, ControlsBecomeReplacementCharactersLineFeedsStay) {
    EXPECT_EQ(TerminalSafe("a\x1B]0;title\x07"
                           "b\nc"),
              "a" + kFffd + "]0;title" + kFffd + "b\nc");
    EXPECT_EQ(TerminalSafe("\t\r\x08\x7F"), kFffd + kFffd + kFffd + kFffd);
    EXPECT_EQ(TerminalSafe(std::string("\x00", 1)), kFffd);
    EXPECT_EQ(TerminalSafe("\xC2\x9B"
                           "2J"),
              kFffd + "2J");
    EXPECT_EQ(TerminalSafe("a\xE2\x80\xAE"
                           "b\xE2\x81\xA9"),
              "a" + kFffd + "b" + kFffd);
    const std::string plain = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xD7\xA9";
    EXPECT_EQ(TerminalSafe(plain), plain);
}

TEST(TerminalSafeTest, RepairsIllFormedUtf8OneReplacementPerMaximalPart) {
    EXPECT_EQ(TerminalSafe("\xF4\x90\x80\x80"), kFffd + kFffd + kFffd + kFffd);
    EXPECT_EQ(TerminalSafe("\xF7\xBF\xBF\xBF"), kFffd + kFffd + kFffd + kFffd);
    EXPECT_EQ(TerminalSafe("\xED\xA0\x80"), kFffd + kFffd + kFffd);
    EXPECT_EQ(TerminalSafe("\xC0\xAF"), kFffd + kFffd);
    EXPECT_EQ(TerminalSafe("a\xE2\x82"), "a" + kFffd);
    EXPECT_EQ(TerminalSafe("\xF0\x9F\x98"
                           "x"),
              kFffd + "x");
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_TRUE(IsValidUtf8(TerminalSafe(one + "\x80" + one + "\xBF\xBF"))) << b;
    }
}

}  // namespace
}  // namespace zelvo::text
