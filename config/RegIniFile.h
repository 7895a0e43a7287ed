#pragma once
// The settings store as the program sees it: an INI-style registry object
// opened for one batch of reads or writes. Every value is a text; integers,
// booleans and colours are encoded in it. The file is read once when the
// batch opens; the batch's own writes are seen by its later reads. Reading
// never depends on writing: a store that cannot be written still reads, and
// each failed write throws.
#include <stdexcept>
#include <string>

#include "config/SettingsSchema.h"
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

    // The values of the schema, with its defaults or the reader's own.
    std::string Read(const std::string& section, const settings::TText& value) const {
        return ReadString(section, value.Name, value.Default != nullptr ? value.Default : "");
    }
    std::string Read(const std::string& section, const settings::TText& value,
                     const std::string& def) const {
        return ReadString(section, value.Name, def);
    }
    int Read(const std::string& section, const settings::TInteger& value) const {
        return ReadInteger(section, value.Name, value.Default);
    }
    int Read(const std::string& section, const settings::TInteger& value, int def) const {
        return ReadInteger(section, value.Name, def);
    }
    bool Read(const std::string& section, const settings::TBoolean& value) const {
        return ReadBool(section, value.Name, value.Default);
    }
    void Write(const std::string& section, const settings::TText& value, const std::string& text) {
        WriteString(section, value.Name, text);
    }
    void Write(const std::string& section, const settings::TInteger& value, int number) {
        WriteInteger(section, value.Name, number);
    }
    void Write(const std::string& section, const settings::TBoolean& value, bool on) {
        WriteBool(section, value.Name, on);
    }

    // Where the store lives.
    const std::string& Path() const { return file_.Path(); }

    // The integer encoding: "0x"/"0X" hex for texts longer than two
    // characters, else decimal; the default for empty or non-numeric text.
    static int DecodeInteger(const std::string& text, int def);

private:
    platform::SettingsFile file_;
    platform::SettingsDocument snapshot_;
};

}  // namespace zelvo::config
