#include <gtest/gtest.h>

#include "platform/Cp1252.h"

using namespace zelvo::platform;

TEST(Cp1252, MapsTheWholeHighRange) {
    EXPECT_EQ(Cp1252ToUnicode(0x80), u'\u20AC');
    EXPECT_EQ(Cp1252ToUnicode(0x99), u'\u2122');
    EXPECT_EQ(Cp1252ToUnicode(0x9F), u'\u0178');
    EXPECT_EQ(Cp1252ToUnicode(0x81), u'\u0081');
    EXPECT_EQ(Cp1252ToUnicode(0xA0), u'\u00A0');
    EXPECT_EQ(Cp1252ToUnicode(0xFF), u'\u00FF');
    EXPECT_EQ(Cp1252ToUnicode('A'), u'A');
}

TEST(Cp1252, EveryByteRoundTrips) {
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    EXPECT_EQ(Utf16ToCp1252(Cp1252ToUtf16(all)), all);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(Cp1252, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Utf16ToCp1252(u"a\u4E2Db"), "a?b");
}
