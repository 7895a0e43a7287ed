#include "platform/LogonStart.h"

#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/win32/LogonStartKeys.h"
#include "platform/win32/WideText.h"
// After the platform's headers, whose names the system's macros spell too.
#include <windows.h>

namespace zelvo::platform {
namespace win32 {
namespace {

constexpr wchar_t kValueName[] = L"Zelvo";

LogonStartKeys SystemKeys() {
    return {L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
            L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run"};
}

LogonStartKeys& Keys() {
    static LogonStartKeys keys = SystemKeys();
    return keys;
}

class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (key_)
            ::RegCloseKey(key_);
    }
    LSTATUS Open(const std::wstring& path, REGSAM access) {
        return ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, &key_);
    }
    LSTATUS Create(const std::wstring& path) {
        return ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                 nullptr, &key_, nullptr);
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// The value's type and bytes, or nothing when it or its key is missing.
bool ReadValue(const std::wstring& path, DWORD& type, std::vector<BYTE>& data) {
    Key key;
    if (key.Open(path, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    for (;;) {
        DWORD size = static_cast<DWORD>(data.size());
        const LSTATUS status =
            ::RegQueryValueExW(key.get(), kValueName, nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && data.empty() && size > 0)) {
            data.resize(size);
            continue;
        }
        if (status != ERROR_SUCCESS)
            return false;
        data.resize(size);
        return true;
    }
}

// A value that is no text, or an empty one, starts nothing.
bool RunValueStartsSomething() {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadValue(Keys().Run, type, data))
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    return data.size() >= 2 && (data[0] != 0 || data[1] != 0);
}

// The system's list of start-up programs keeps its switch as a small block
// whose first byte is odd while the entry is disabled; no block is on.
bool SwitchedOffBySystem() {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadValue(Keys().Approved, type, data) || data.empty())
        return false;
    return (data[0] & 1) != 0;
}

// Missing values and keys are no failure.
void DeleteValue(const std::wstring& path) {
    Key key;
    const LSTATUS opened = key.Open(path, KEY_SET_VALUE);
    if (opened == ERROR_FILE_NOT_FOUND)
        return;
    const LSTATUS status =
        opened == ERROR_SUCCESS ? ::RegDeleteValueW(key.get(), kValueName) : opened;
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        throw std::runtime_error("Cannot remove registry value " +
                                 Utf8(L"HKEY_CURRENT_USER\\" + path + L"\\" + kValueName));
}

}  // namespace

const LogonStartKeys& CurrentLogonStartKeys() {
    return Keys();
}

void UseLogonStartKeys(LogonStartKeys keys) {
    Keys() = keys.Run.empty() || keys.Approved.empty() ? SystemKeys() : std::move(keys);
}

}  // namespace win32

std::string LogonStartLocation() {
    return win32::Utf8(L"HKEY_CURRENT_USER\\" + win32::Keys().Run + L"\\" + win32::kValueName);
}

bool LogonStartEnabled() {
    return win32::RunValueStartsSomething() && !win32::SwitchedOffBySystem();
}

std::string LogonStartText(const std::string& program) {
    return '"' + program + '"';
}

void WriteLogonStart(const std::string& text) {
    const std::wstring wide = win32::Wide(text);
    win32::Key key;
    LSTATUS status = key.Create(win32::Keys().Run);
    if (status == ERROR_SUCCESS)
        status = ::RegSetValueExW(key.get(), win32::kValueName, 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(wide.c_str()),
                                  static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS)
        throw std::runtime_error("Cannot write registry value " + LogonStartLocation());
    // A switch the user turned off in the system's list would keep the new
    // value from starting; without one the system counts the entry as on.
    win32::DeleteValue(win32::Keys().Approved);
}

void RemoveLogonStart() {
    win32::DeleteValue(win32::Keys().Run);
    win32::DeleteValue(win32::Keys().Approved);
}

}  // namespace zelvo::platform
