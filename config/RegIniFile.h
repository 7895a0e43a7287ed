#pragma once
// The settings store as the program sees it: an INI-style registry object
// opened for one batch of reads or writes. Every value is a text; integers,
// booleans and colours are encoded in it.
#include <stdexcept>
#include <string>

#include "platform/SettingsFile.h"

namespace zelvo::config {

// A failed read or write of the store ("Failed to set data for 'Name'", ...).
class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TRegIniFile {
public:
    // The current user's store, created when missing.
    TRegIniFile();
    // A store at the given path (tests).
    explicit TRegIniFile(const std::string& path);

    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& def) const;
    int ReadInteger(const std::string& section, const std::string& name, int def) const;
    bool ReadBool(const std::string& section, const std::string& name, bool def) const;

    void WriteString(const std::string& section, const std::string& name, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& name, int value);
    void WriteBool(const std::string& section, const std::string& name, bool value);

    // The integer encoding: "0x"/"0X" hex for texts longer than two
    // characters, else decimal; the default for empty or non-numeric text.
    static int DecodeInteger(const std::string& text, int def);

private:
    platform::SettingsFile file_;
};

}  // namespace zelvo::config
