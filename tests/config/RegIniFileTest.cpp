#include <gtest/gtest.h>

#include <fstream>

#include "config/RegIniFile.h"
#include "support/TempDir.h"

using zelvo::config::TRegIniFile;
using zelvo::testing::TempDir;

TEST(IntegerEncoding, DecimalHexAndFallbacks) {
    EXPECT_EQ(TRegIniFile::DecodeInteger("0x12C", 250), 300);
    EXPECT_EQ(TRegIniFile::DecodeInteger("0X12c", 250), 300);
    EXPECT_EQ(TRegIniFile::DecodeInteger("fast", 250), 250);
    EXPECT_EQ(TRegIniFile::DecodeInteger("", 250), 250);
    EXPECT_EQ(TRegIniFile::DecodeInteger("900", 250), 900);
    EXPECT_EQ(TRegIniFile::DecodeInteger("-9", 0), -9);
    EXPECT_EQ(TRegIniFile::DecodeInteger("0x", 7), 7);  // too short to be hexadecimal
    EXPECT_EQ(TRegIniFile::DecodeInteger("0", 7), 0);
    EXPECT_EQ(TRegIniFile::DecodeInteger("12abc", 7), 7);
    EXPECT_EQ(TRegIniFile::DecodeInteger("0xFFFFFF", 0), 16777215);
    EXPECT_EQ(TRegIniFile::DecodeInteger("0xFFFFFFFF", 0), -1);
    EXPECT_EQ(TRegIniFile::DecodeInteger("0x1FFFFFFFF", 5), 5);
    EXPECT_EQ(TRegIniFile::DecodeInteger("99999999999", 5), 5);
    EXPECT_EQ(TRegIniFile::DecodeInteger("0xZZ", 5), 5);
}

TEST(RegIniFileStore, MissingValuesGiveTheDefaultWithoutComplaint) {
    TempDir dir;
    TRegIniFile store(dir / "Zelvo.conf");
    EXPECT_EQ(store.ReadString("Zelvo", "FontName", "MS Sans Serif"), "MS Sans Serif");
    EXPECT_EQ(store.ReadInteger("Zelvo3", "TickerTop", -4), -4);
    EXPECT_TRUE(store.ReadBool("Zelvo", "AlwaysOnTop", true));
}

TEST(RegIniFileStore, BooleansAreNonZeroIntegers) {
    TempDir dir;
    TRegIniFile store(dir / "Zelvo.conf");
    store.WriteString("Zelvo", "Site2Enabled", "2");
    EXPECT_TRUE(store.ReadBool("Zelvo", "Site2Enabled", false));
    store.WriteString("Zelvo", "Site2Enabled", "no");
    EXPECT_TRUE(store.ReadBool("Zelvo", "Site2Enabled", true));
    EXPECT_FALSE(store.ReadBool("Zelvo", "Site2Enabled", false));
    store.WriteBool("Zelvo", "HideTicker", true);
    EXPECT_EQ(store.ReadString("Zelvo", "HideTicker", ""), "1");
    store.WriteBool("Zelvo", "HideTicker", false);
    EXPECT_EQ(store.ReadString("Zelvo", "HideTicker", ""), "0");
}

TEST(RegIniFileStore, WrittenValuesComeBackExactly) {
    TempDir dir;
    {
        TRegIniFile store(dir / "Zelvo.conf");
        store.WriteInteger("Zelvo2", "TickerTop", -8);
        store.WriteInteger("Zelvo2", "ForeColor", 16777215);
        store.WriteString("Zelvo2", "Password", " pass word ");
        store.WriteString("Zelvo2", "WebSite1", "http://127.0.0.1/a b#frag");
    }
    TRegIniFile store(dir / "Zelvo.conf");
    EXPECT_EQ(store.ReadInteger("Zelvo2", "TickerTop", 0), -8);
    EXPECT_EQ(store.ReadString("Zelvo2", "TickerTop", ""), "-8");
    EXPECT_EQ(store.ReadInteger("Zelvo2", "ForeColor", 0), 16777215);
    EXPECT_EQ(store.ReadString("Zelvo2", "Password", ""), " pass word ");
    EXPECT_EQ(store.ReadString("Zelvo2", "WebSite1", ""), "http://127.0.0.1/a b#frag");
}

TEST(RegIniFileStore, AStoreThatCannotBeCreatedIsAnError) {
    TempDir dir;
    { std::ofstream(dir / "file") << "x"; }
    EXPECT_THROW(TRegIniFile(dir / "file/Quorvane/Zelvo.conf"), zelvo::config::ERegistryException);
}
