#include "support/SettingsStore.h"

#include <windows.h>

#include <atomic>

namespace zelvo::testing {
namespace {

std::wstring Wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

void Store(const std::string& key, const std::string& section, const std::string& name, DWORD type,
           const void* data, DWORD size) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(key + "\\" + section).c_str(), 0, nullptr, 0,
                          KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExW(handle, Wide(name).c_str(), 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(handle);
}

}  // namespace

std::string NewSettingsKey() {
    static std::atomic<unsigned> count{0};
    return "Software\\ZelvoTest-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(++count);
}

void DeleteSettingsKey(const std::string& key) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Wide(key).c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, Wide(key).c_str());
}

void StoreRegistryNumber(const std::string& key, const std::string& section,
                         const std::string& name, std::uint32_t number) {
    const DWORD value = number;
    Store(key, section, name, REG_DWORD, &value, sizeof value);
}

void StoreRegistryText(const std::string& key, const std::string& section, const std::string& name,
                       std::u16string_view text) {
    // With the terminating NUL, as the system's own writers store a text.
    std::u16string stored(text);
    stored.push_back(u'\0');
    Store(key, section, name, REG_SZ, stored.data(),
          static_cast<DWORD>(stored.size() * sizeof(char16_t)));
}

void MakeVolatileKey(const std::string& key) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(key).c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                          KEY_WRITE, nullptr, &handle, nullptr) == ERROR_SUCCESS)
        ::RegCloseKey(handle);
}

}  // namespace zelvo::testing
