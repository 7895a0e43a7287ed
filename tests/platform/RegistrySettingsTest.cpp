// The settings in the registry: each test works under a key of its own
// beneath HKEY_CURRENT_USER\Software and removes it afterwards.
#include <gtest/gtest.h>

#include <string>

#include "platform/SettingsFile.h"
// After the platform's headers, whose names the system's macros spell too.
#include <windows.h>

using zelvo::platform::SettingsError;
using zelvo::platform::SettingsFile;

namespace {

class RegistrySettings : public ::testing::Test {
protected:
    RegistrySettings()
        : path_("Software\\ZelvoTest" + std::to_string(::GetCurrentProcessId()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    ~RegistrySettings() override {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
        ::RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
    }

    // A value written by another program, of any type.
    void Store(const std::string& section, const std::string& name, DWORD type, const void* data,
               DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, (path_ + "\\" + section).c_str(), 0, nullptr,
                                    0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::wstring wide(name.begin(), name.end());  // the names are ASCII
        ::RegSetValueExW(key, wide.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        ::RegCloseKey(key);
    }

    std::string path_;
};

TEST(RegistrySettingsPath, IsTheCompanysKey) {
    EXPECT_EQ(zelvo::platform::UserSettingsPath(), "Software\\Quorvane");
}

TEST_F(RegistrySettings, EveryTextRoundTripsByteForByte) {
    SettingsFile file(path_);
    const std::string tricky[] = {
        "",         "  both ends  ", "back\\slash\\n",        "cr\rlf\nend\r\n",
        "=equals=", "[Zelvo]",       "\xA0\xFF\x80\x81 high", "\\r literal"};
    int i = 0;
    for (const auto& value : tricky)
        file.Write("Zelvo", "Value" + std::to_string(i++), value);
    SettingsFile again(path_);
    auto document = again.Load();
    i = 0;
    for (const auto& value : tricky) {
        const std::string name = "Value" + std::to_string(i++);
        EXPECT_EQ(again.Read("Zelvo", name).value_or("<missing>"), value);
        EXPECT_EQ(document.Read("Zelvo", name).value_or("<missing>"), value);
    }
}

TEST_F(RegistrySettings, ATextEndsAtItsFirstNulAndOtherTypesCountAsMissing) {
    SettingsFile file(path_);
    file.Write("Zelvo", "Name", std::string("abc\0def", 7));
    EXPECT_EQ(file.Read("Zelvo", "Name").value(), "abc");
    const wchar_t stored[] = L"one\0two";
    Store("Zelvo", "Stored", REG_SZ, stored, sizeof stored);
    const DWORD number = 7;
    Store("Zelvo", "Number", REG_DWORD, &number, sizeof number);
    const wchar_t expand[] = L"%TEMP%";
    Store("Zelvo", "Expand", REG_EXPAND_SZ, expand, sizeof expand);
    EXPECT_EQ(file.Read("Zelvo", "Stored").value(), "one");
    EXPECT_FALSE(file.Read("Zelvo", "Number"));
    EXPECT_FALSE(file.Read("Zelvo", "Expand"));
    auto document = file.Load();
    EXPECT_EQ(document.Read("Zelvo", "Stored").value(), "one");
    EXPECT_FALSE(document.Read("Zelvo", "Number"));
    EXPECT_FALSE(document.Read("Zelvo", "Expand"));
}

TEST_F(RegistrySettings, NamesMatchInAnyCaseAndSectionsAreSubkeys) {
    SettingsFile file(path_);
    file.Write("Zelvo2", "TickerTop", "5");
    file.Write("ZELVO2", "tickertop", "7");
    file.Write("Other", "TickerTop", "9");
    EXPECT_EQ(file.Read("zelvo2", "TICKERTOP").value(), "7");
    auto document = file.Load();
    EXPECT_EQ(document.Read("Zelvo2", "TickerTop").value(), "7");
    EXPECT_EQ(document.Read("Other", "TickerTop").value(), "9");
    EXPECT_FALSE(document.Read("Missing", "TickerTop"));
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, (path_ + "\\Zelvo2").c_str(), 0, KEY_READ, &key),
              ERROR_SUCCESS);
    char name[64];
    DWORD length = sizeof name;
    DWORD type = 0;
    ASSERT_EQ(::RegEnumValueA(key, 0, name, &length, nullptr, &type, nullptr, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
    EXPECT_EQ(std::string(name, length), "TickerTop");  // the first spelling stays
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST_F(RegistrySettings, AMissingKeyReadsEmptyAndAFailedWriteIsReported) {
    SettingsFile file(path_);
    EXPECT_FALSE(file.Read("Nowhere", "Name"));
    // No value name may be that long.
    const std::string tooLong(20000, 'n');
    try {
        file.Write("Zelvo", tooLong, "x");
        FAIL() << "the write was not refused";
    } catch (const SettingsError& e) {
        EXPECT_EQ(std::string(e.what()), "Failed to set data for '" + tooLong + "'");
    }
}

}  // namespace
