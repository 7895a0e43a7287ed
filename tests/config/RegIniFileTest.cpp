#include <gtest/gtest.h>

#include "config/RegIniFile.h"
#include "support/SettingsStore.h"

#ifndef _WIN32
#include <sys/stat.h>

#include <fstream>

#include "Unprivileged.h"
#include "support/TempDir.h"
#endif

using zelvo::config::TRegIniFile;
using zelvo::testing::TempStore;
using namespace std::literals;

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
    TempStore place;
    TRegIniFile store(place);
    EXPECT_EQ(store.ReadString("Zelvo", "FontName", "MS Sans Serif"), "MS Sans Serif");
    EXPECT_EQ(store.ReadInteger("Zelvo3", "TickerTop", -4), -4);
    EXPECT_TRUE(store.ReadBool("Zelvo", "AlwaysOnTop", true));
}

TEST(RegIniFileStore, BooleansAreNonZeroIntegers) {
    TempStore place;
    TRegIniFile store(place);
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
    TempStore place;
    {
        TRegIniFile store(place);
        store.WriteInteger("Zelvo2", "TickerTop", -8);
        store.WriteInteger("Zelvo2", "ForeColor", 16777215);
        store.WriteString("Zelvo2", "Password", " pass word ");
        store.WriteString("Zelvo2", "WebSite1", "http://127.0.0.1/a b#frag");
    }
    TRegIniFile store(place);
    EXPECT_EQ(store.ReadInteger("Zelvo2", "TickerTop", 0), -8);
    EXPECT_EQ(store.ReadString("Zelvo2", "TickerTop", ""), "-8");
    EXPECT_EQ(store.ReadInteger("Zelvo2", "ForeColor", 0), 16777215);
    EXPECT_EQ(store.ReadString("Zelvo2", "Password", ""), " pass word ");
    EXPECT_EQ(store.ReadString("Zelvo2", "WebSite1", ""), "http://127.0.0.1/a b#frag");
}

// A batch reads the store once: what another copy writes meanwhile reaches
// the next batch, and the batch's own writes reach its later reads.
TEST(RegIniFileStore, ABatchReadsTheStoreOnceAndSeesItsOwnWrites) {
    TempStore place;
    TRegIniFile(place).WriteInteger("Zelvo", "RunningInstances", 1);
    TRegIniFile batch(place);
    TRegIniFile(place).WriteInteger("Zelvo", "RunningInstances", 2);
    EXPECT_EQ(batch.ReadInteger("Zelvo", "RunningInstances", 0), 1);
    batch.WriteInteger("Zelvo", "TickerTop", 5);
    EXPECT_EQ(batch.ReadInteger("Zelvo", "TickerTop", 0), 5);
    // The write took the other copy's count along, as it stands in the store.
    EXPECT_EQ(TRegIniFile(place).ReadInteger("Zelvo", "RunningInstances", 0), 2);
}

#ifdef _WIN32
TEST(RegIniFileStore, AStoreThatCannotBeCreatedReadsDefaultsAndRefusesWrites) {
    TempStore place;
    zelvo::testing::MakeVolatileKey(place);
    TRegIniFile store(place.Path() + "\\Quorvane");
    EXPECT_EQ(store.ReadInteger("Zelvo", "TickerTop", 7), 7);
    EXPECT_THROW(store.WriteInteger("Zelvo", "TickerTop", 1), zelvo::config::ERegistryException);
    EXPECT_EQ(store.ReadInteger("Zelvo", "TickerTop", 7), 7);
}

// Other programs may leave values of any type: only a text is a setting, and
// it ends at its first NUL, read in one batch or value by value.
TEST(RegIniFileStore, OnlyTextValuesCountAndATextEndsAtItsFirstNul) {
    TempStore place;
    zelvo::testing::StoreRegistryNumber(place, "Zelvo", "TickerTop", 300);
    zelvo::testing::StoreRegistryText(place, "Zelvo", "FontName", u"Arial\0Black"sv);
    zelvo::testing::StoreRegistryText(place, "Zelvo", "FontSize",
                                      u"12\0"
                                      u"0"sv);
    TRegIniFile store(place);
    EXPECT_EQ(store.ReadInteger("Zelvo", "TickerTop", -4), -4);
    EXPECT_EQ(store.ReadString("Zelvo", "TickerTop", "none"), "none");
    EXPECT_EQ(store.ReadString("Zelvo", "FontName", ""), "Arial");
    EXPECT_EQ(store.ReadInteger("Zelvo", "FontSize", 8), 12);

    // A number left in place of a text is replaced by the program's write.
    store.WriteInteger("Zelvo", "TickerTop", 5);
    EXPECT_EQ(TRegIniFile(place).ReadInteger("Zelvo", "TickerTop", 0), 5);
    store.WriteString("Zelvo", "Password", "pass\0word"s);
    EXPECT_EQ(TRegIniFile(place).ReadString("Zelvo", "Password", ""), "pass");
}
#else
// A file where the folder should be: nothing can be created beneath it.
TEST(RegIniFileStore, AStoreThatCannotBeCreatedReadsDefaultsAndRefusesWrites) {
    zelvo::testing::TempDir dir;
    { std::ofstream(dir / "file") << "x"; }
    TRegIniFile store(dir / "file/Quorvane/Zelvo.conf");
    EXPECT_EQ(store.ReadInteger("Zelvo", "TickerTop", 7), 7);
    EXPECT_THROW(store.WriteInteger("Zelvo", "TickerTop", 1), zelvo::config::ERegistryException);
}

// File modes: the registry's keys have none a user sets.
TEST(RegIniFileStore, AReadOnlyFolderStillGivesTheStoredValues) {
    zelvo::testing::TempDir dir;
    ::chmod(dir.Path().c_str(), 0755);
    ::mkdir((dir / "Quorvane").c_str(), 0700);
    const std::string path = dir / "Quorvane/Zelvo.conf";
    TRegIniFile(path).WriteInteger("Zelvo", "TickerTop", 700);
    ::chmod((dir / "Quorvane").c_str(), 0555);
    ::chmod(path.c_str(), 0444);
    {
        zelvo::testing::Unprivileged user;
        if (!user.Bound())
            GTEST_SKIP() << "permissions do not bind here";
        TRegIniFile store(path);
        EXPECT_EQ(store.ReadInteger("Zelvo", "TickerTop", 0), 700);
        EXPECT_THROW(store.WriteInteger("Zelvo", "TickerLeft", 1),
                     zelvo::config::ERegistryException);
        EXPECT_EQ(store.ReadInteger("Zelvo", "TickerLeft", -1), -1);
    }
    ::chmod((dir / "Quorvane").c_str(), 0700);
}
#endif
