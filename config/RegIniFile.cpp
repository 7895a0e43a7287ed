#include "config/RegIniFile.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace zelvo::config {

TRegIniFile::TRegIniFile() : TRegIniFile(platform::UserSettingsPath()) {}

TRegIniFile::TRegIniFile(const std::string& path) : file_(path), snapshot_(file_.Load()) {}

int TRegIniFile::DecodeInteger(const std::string& text, int def) {
    // The text is taken as written: a value with blanks around it is no number.
    if (text.empty())
        return def;
    const char* begin = text.c_str();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        begin += 2;
        base = 16;
    }
    if (*begin == '\0' || *begin == ' ' || *begin == '\t' ||
        (base == 16 && (*begin == '-' || *begin == '+')))
        return def;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(begin, &end, base);
    if (end == begin || *end != '\0' || errno == ERANGE)
        return def;
    if (base == 16) {
        // Hexadecimal texts name the 32 bits directly, as colour values do.
        if (v < 0 || v > 0xFFFFFFFFLL)
            return def;
        return static_cast<int>(static_cast<unsigned>(v));
    }
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return def;
    return static_cast<int>(v);
}

std::string TRegIniFile::ReadString(const std::string& section, const std::string& name,
                                    const std::string& def) const {
    auto value = snapshot_.Read(section, name);
    return value ? *value : def;
}

int TRegIniFile::ReadInteger(const std::string& section, const std::string& name, int def) const {
    auto value = snapshot_.Read(section, name);
    return value ? DecodeInteger(*value, def) : def;
}

bool TRegIniFile::ReadBool(const std::string& section, const std::string& name, bool def) const {
    return ReadInteger(section, name, def ? 1 : 0) != 0;
}

void TRegIniFile::WriteString(const std::string& section, const std::string& name,
                              const std::string& value) {
    try {
        file_.Write(section, name, value);
        snapshot_.Set(section, name, value);
    } catch (const platform::SettingsError& e) {
        throw ERegistryException(e.what());
    }
}

void TRegIniFile::WriteInteger(const std::string& section, const std::string& name, int value) {
    WriteString(section, name, std::to_string(value));
}

void TRegIniFile::WriteBool(const std::string& section, const std::string& name, bool value) {
    WriteString(section, name, value ? "1" : "0");
}

}  // namespace zelvo::config
