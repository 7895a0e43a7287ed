#include "text/TextReplace.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace zelvo::text {
namespace {

// The search tries sixteen places at a time: matches just inside and just
// past each block's end, and at the text's end, are where it could slip.
TEST(FindTextTest, AgreesWithTheLibrarySearchAtEveryStartAndLength) {
    std::mt19937 rng(7);
    const std::string alphabet = "ab &";
    for (int round = 0; round < 4000; ++round) {
        std::string text(std::uniform_int_distribution<std::size_t>(0, 80)(rng), ' ');
        for (char& c : text)
            c = alphabet[std::uniform_int_distribution<std::size_t>(0, round % 2 ? 1 : 3)(rng)];
        std::string pattern(std::uniform_int_distribution<std::size_t>(1, 8)(rng), ' ');
        for (char& c : pattern)
            c = alphabet[std::uniform_int_distribution<std::size_t>(0, round % 2 ? 1 : 3)(rng)];
        for (std::size_t from = 0; from <= text.size() + 1; ++from)
            ASSERT_EQ(FindText(text, pattern, from), std::string_view(text).find(pattern, from))
                << "'" << pattern << "' in '" << text << "' from " << from;
    }
}

TEST(FindTextTest, FindsAPatternWhoseFirstByteFillsTheText) {
    std::string text(100000, '&');
    EXPECT_EQ(FindText(text, "&nbsp;"), kNotFound);
    text.replace(99990, 6, "&nbsp;");
    EXPECT_EQ(FindText(text, "&nbsp;"), 99990u);
    EXPECT_EQ(FindText(text, "&&&&&&", 99985), 99985u);
    EXPECT_EQ(FindText(text, "&&&&&&", 99986), kNotFound);
}

TEST(ReplaceAllInPlaceTest, GrowingReplacementsThatCannotCascadeKeepEveryOtherByte) {
    std::string text = "\xC2\xA6x\xC2\xA6\xC2\xA6 y \xC2\xA6";
    EXPECT_TRUE(ReplaceAllInPlace("\xC2\xA6", text, "   "));
    EXPECT_EQ(text, "   x       y    ");
    EXPECT_FALSE(ReplaceAllInPlace("\xC2\xA6", text, "   "));
}

}  // namespace
}  // namespace zelvo::text
