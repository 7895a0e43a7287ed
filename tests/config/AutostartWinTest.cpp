// Starting at log-on on Windows: the value under the user's Run key, written,
// read back and removed, with the system's own switch for it. Each test works
// under keys of its own, since the suite's shards share one prefix.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "config/Autostart.h"
#include "platform/win32/LogonStartKeys.h"
#include "platform/win32/WideText.h"
// After the platform's headers, whose names the system's macros spell too.
#include <windows.h>

namespace zelvo::config {
namespace {

using platform::win32::Wide;

class WindowsAutostart : public ::testing::Test {
protected:
    WindowsAutostart()
        : root_(L"Software\\ZelvoTest" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                Wide(::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        platform::win32::UseLogonStartKeys({root_ + L"\\Run", root_ + L"\\Approved"});
    }
    ~WindowsAutostart() override {
        platform::win32::UseLogonStartKeys({});
        ::RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, root_.c_str());
    }

    void Store(const std::wstring& sub, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, (root_ + L"\\" + sub).c_str(), 0, nullptr, 0,
                                    KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExW(key, L"Zelvo", 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
    }
    void StoreText(const std::wstring& text) {
        Store(L"Run", REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
    }
    void StoreSwitch(BYTE first) {
        const BYTE block[12] = {first};
        Store(L"Approved", REG_BINARY, block, sizeof block);
    }

    bool Exists(const std::wstring& sub) const {
        return ::RegGetValueW(HKEY_CURRENT_USER, (root_ + L"\\" + sub).c_str(), L"Zelvo",
                              RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }
    // The Run value as the system reads it: its type and text.
    std::wstring RunText(DWORD* type = nullptr) const {
        std::vector<wchar_t> text(1024);
        DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        DWORD kind = 0;
        if (::RegQueryValueExW(Open().get(), L"Zelvo", nullptr, &kind,
                               reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
            return L"<missing>";
        if (type)
            *type = kind;
        return std::wstring(text.data(), size / sizeof(wchar_t)).c_str();
    }

private:
    struct Closer {
        void operator()(HKEY key) const { ::RegCloseKey(key); }
    };
    std::unique_ptr<std::remove_pointer_t<HKEY>, Closer> Open() const {
        HKEY key = nullptr;
        ::RegOpenKeyExW(HKEY_CURRENT_USER, (root_ + L"\\Run").c_str(), 0, KEY_READ, &key);
        return std::unique_ptr<std::remove_pointer_t<HKEY>, Closer>(key);
    }

    std::wstring root_;
};

TEST(WindowsAutostartKey, IsTheValueTheInstallerWrites) {
    EXPECT_EQ(AutostartEntryPath(),
              "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Zelvo");
    EXPECT_EQ(AutostartEntryText("C:\\Program Files\\Zelvo\\zelvo.exe"),
              "\"C:\\Program Files\\Zelvo\\zelvo.exe\"");
}

TEST_F(WindowsAutostart, OnWritesTheQuotedPathAsTextAndOffRemovesIt) {
    EXPECT_FALSE(AutostartEnabled());
    SetAutostart(true, "C:\\Program Files\\Zelvo\\zelvo.exe");
    DWORD type = 0;
    EXPECT_EQ(RunText(&type), L"\"C:\\Program Files\\Zelvo\\zelvo.exe\"");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(AutostartEnabled());

    SetAutostart(false, "");
    EXPECT_FALSE(Exists(L"Run"));
    EXPECT_FALSE(AutostartEnabled());
    EXPECT_NO_THROW(SetAutostart(false, ""));  // nothing there is no failure
}

TEST_F(WindowsAutostart, APathBeyondAsciiReachesTheSystemAsItsCharacters) {
    SetAutostart(true, "C:\\Users\\Zo\xC3\xAB\\\xE6\x97\xA5\\zelvo.exe");
    EXPECT_EQ(RunText(), L"\"C:\\Users\\Zo\u00EB\\\u65E5\\zelvo.exe\"");
}

TEST_F(WindowsAutostart, AValuePointingElsewhereIsOnAndStaysTheUsers) {
    StoreText(L"\"D:\\Tools\\zelvo.exe\" --quiet");
    EXPECT_TRUE(AutostartEnabled());
    SetAutostart(true, "C:\\Program Files\\Zelvo\\zelvo.exe");
    EXPECT_EQ(RunText(), L"\"D:\\Tools\\zelvo.exe\" --quiet");
    SetAutostart(false, "");
    EXPECT_FALSE(AutostartEnabled());
}

TEST_F(WindowsAutostart, TheSystemsSwitchTurnsItOffAndOnWritesOursAgain) {
    StoreText(L"\"D:\\Tools\\zelvo.exe\"");
    StoreSwitch(0x02);
    EXPECT_TRUE(AutostartEnabled());
    StoreSwitch(0x03);  // disabled in the system's list of start-up programs
    EXPECT_FALSE(AutostartEnabled());

    SetAutostart(true, "C:\\Zelvo\\zelvo.exe");
    EXPECT_EQ(RunText(), L"\"C:\\Zelvo\\zelvo.exe\"");
    EXPECT_FALSE(Exists(L"Approved"));
    EXPECT_TRUE(AutostartEnabled());

    StoreSwitch(0x03);
    SetAutostart(false, "");
    EXPECT_FALSE(Exists(L"Run"));
    EXPECT_FALSE(Exists(L"Approved"));  // no stale switch for a later entry
}

TEST_F(WindowsAutostart, AValueThatStartsNothingIsOffAndOnReplacesIt) {
    StoreText(L"");
    EXPECT_FALSE(AutostartEnabled());
    SetAutostart(true, "C:\\Zelvo\\zelvo.exe");
    EXPECT_EQ(RunText(), L"\"C:\\Zelvo\\zelvo.exe\"");

    const DWORD number = 1;
    Store(L"Run", REG_DWORD, &number, sizeof number);
    EXPECT_FALSE(AutostartEnabled());
    SetAutostart(true, "C:\\Zelvo\\zelvo.exe");
    DWORD type = 0;
    EXPECT_EQ(RunText(&type), L"\"C:\\Zelvo\\zelvo.exe\"");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

}  // namespace
}  // namespace zelvo::config
