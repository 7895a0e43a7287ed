// The settings in the registry: a key of the current user, a subkey per
// section, every value a text (REG_SZ). The program's texts are Windows-1252
// bytes; the registry holds them as UTF-16, which gives every byte back.
#include "platform/SettingsFile.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/Cp1252.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform {
namespace {

std::wstring Wide(std::string_view text) {
    std::u16string u = Cp1252ToUtf16(text);
    return std::wstring(u.begin(), u.end());
}

std::string Narrow(std::wstring_view text) {
    return Utf16ToCp1252(std::u16string(text.begin(), text.end()));
}

class Key {
public:
    Key() = default;
    ~Key() {
        if (key_ != nullptr)
            ::RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    bool Open(const std::wstring& path) {
        return ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key_) ==
               ERROR_SUCCESS;
    }
    bool Create(const std::wstring& path) {
        return ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                 KEY_READ | KEY_WRITE, nullptr, &key_, nullptr) == ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// A text value up to its first NUL; nothing for any other type.
std::optional<std::string> TextOf(DWORD type, const std::vector<BYTE>& data, DWORD size) {
    if (type != REG_SZ)
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (!text.empty())
        std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    return Narrow(text);
}

// A name the text form can carry: no line break, no '=' that would end it.
bool Carried(const std::string& name) {
    return !name.empty() && name.find_first_of("=\r\n") == std::string::npos &&
           name.front() != ';' && name.front() != '#' && name.front() != '[';
}

void AppendSection(HKEY section, const std::string& name, std::string& text) {
    DWORD valueCount = 0;
    DWORD maxName = 0;
    DWORD maxData = 0;
    if (::RegQueryInfoKeyW(section, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           &valueCount, &maxName, &maxData, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    text += '[' + name + "]\n";
    std::vector<wchar_t> valueName(maxName + 1);
    std::vector<BYTE> data(maxData + sizeof(wchar_t));
    for (DWORD i = 0; i < valueCount; ++i) {
        DWORD nameLength = static_cast<DWORD>(valueName.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (::RegEnumValueW(section, i, valueName.data(), &nameLength, nullptr, &type, data.data(),
                            &size) != ERROR_SUCCESS)
            continue;
        const std::string valueNameText = Narrow(std::wstring_view(valueName.data(), nameLength));
        std::optional<std::string> value = TextOf(type, data, size);
        if (!value || !Carried(valueNameText))
            continue;
        text += valueNameText + '=' + SettingsDocument::Escape(*value) + '\n';
    }
}

}  // namespace

std::string UserSettingsPath() {
    return "Software\\Quorvane";
}

SettingsFile::SettingsFile(std::string path) : path_(std::move(path)) {
    // Made when missing; a key that cannot be made still reads as empty, and
    // the failure is the first write's to report.
    Key key;
    key.Create(Wide(path_));
}

SettingsDocument SettingsFile::Load() const {
    Key key;
    if (!key.Open(Wide(path_)))
        return {};
    DWORD subkeys = 0;
    DWORD maxSubkey = 0;
    if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    std::string text;
    std::vector<wchar_t> name(maxSubkey + 1);
    for (DWORD i = 0; i < subkeys; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExW(key.get(), i, name.data(), &length, nullptr, nullptr, nullptr,
                            nullptr) != ERROR_SUCCESS)
            continue;
        const std::wstring sectionName(name.data(), length);
        const std::string section = Narrow(sectionName);
        if (section.find_first_of("]\r\n") != std::string::npos)
            continue;
        HKEY sub = nullptr;
        if (::RegOpenKeyExW(key.get(), sectionName.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS)
            continue;
        AppendSection(sub, section, text);
        ::RegCloseKey(sub);
    }
    return SettingsDocument(text);
}

std::optional<std::string> SettingsFile::Read(const std::string& section,
                                              const std::string& name) const {
    Key key;
    if (!key.Open(Wide(path_ + '\\' + section)))
        return std::nullopt;
    const std::wstring valueName = Wide(name);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::vector<BYTE> data(size + sizeof(wchar_t));
    if (::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, data.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return TextOf(type, data, size);
}

void SettingsFile::Write(const std::string& section, const std::string& name,
                         const std::string& value) {
    const std::string failed = "Failed to set data for '" + name + "'";
    Key key;
    if (section.empty() || !key.Create(Wide(path_ + '\\' + section)))
        throw SettingsError(failed);
    const std::wstring text = Wide(value.substr(0, value.find('\0')));
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    if (::RegSetValueExW(key.get(), Wide(name).c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(text.c_str()), bytes) != ERROR_SUCCESS)
        throw SettingsError(failed);
}

}  // namespace zelvo::platform
