#include "platform/Icon.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/TempDir.h"

namespace zelvo::platform {
namespace {

TEST(Icon, ProgramIconIsCompiledIn) {
    HICON icon = LoadIconResource("MAINICON");
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ("MAINICON", IconSource(icon));
    IconPixels pixels = IconPixelsOf(icon);
    EXPECT_EQ(32, pixels.width);
    EXPECT_EQ(32, pixels.height);
    ASSERT_EQ(32u * 32u, pixels.argb.size());
    EXPECT_EQ(0u, pixels.argb[0] >> 24) << "the corner is transparent";
    EXPECT_EQ(0xFFu, pixels.argb[16 * 32 + 16] >> 24);
}

TEST(Icon, ResourceNamesMatchExactly) {
    EXPECT_EQ(nullptr, LoadIconResource("mainicon"));
    EXPECT_EQ(nullptr, LoadIconResource("NOSUCHICON"));
    EXPECT_EQ(nullptr, LoadIconResource(""));
    EXPECT_EQ(nullptr, LoadIconResource("../icons/MAINICON"));
}

TEST(Icon, FilesThatCannotBeOpenedOrDecodedAreTwoDifferentErrors) {
    testing::TempDir dir;
    EXPECT_THROW(LoadIconFromFile(dir / "missing.ico"), FileOpenError);
    std::ofstream(dir / "garbage.ico") << "not a picture";
    EXPECT_THROW(LoadIconFromFile(dir / "garbage.ico"), InvalidGraphicError);

    std::ofstream(dir / "one.xpm")
        << "/* XPM */\nstatic const char *x[] = {\"1 1 1 1\", \"a c #FF0000\", \"a\"};\n";
    HICON icon = LoadIconFromFile(dir / "one.xpm");
    EXPECT_EQ(dir / "one.xpm", IconSource(icon));
    EXPECT_EQ(0xFFFF0000u, IconPixelsOf(icon).argb.at(0));
}

}  // namespace
}  // namespace zelvo::platform
