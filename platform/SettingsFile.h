#pragma once
// The per-user file that stands in for the registry key: sections of
// Name=Value lines, every value a text. Names of sections and values match
// regardless of letter case and keep the case they were first written with.
//
// Up to three copies share the file, so every write locks it, reads it again,
// changes the one value and replaces the file whole (temporary file, fsync,
// rename): no copy loses another's value and a crash never leaves a torn file.
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelvo::platform {

class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SettingsFile {
public:
    // Creates the folder (0700) and the file (0600) when missing; throws
    // SettingsError when that fails.
    explicit SettingsFile(std::string path);

    const std::string& Path() const { return path_; }

    // The stored text, or nothing when the section or value is missing.
    std::optional<std::string> Read(const std::string& section, const std::string& name) const;
    // Throws SettingsError when the value cannot be stored.
    void Write(const std::string& section, const std::string& name, const std::string& value);

    // The file's text form, exposed for tests and tools.
    struct Entry {
        std::string name;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    static std::vector<Section> Parse(const std::string& text);
    static std::string Format(const std::vector<Section>& sections);
    static std::string Escape(const std::string& value);
    static std::string Unescape(const std::string& text);

private:
    std::string path_;
};

// ${XDG_CONFIG_HOME:-$HOME/.config}/Quorvane/Zelvo.conf
std::string UserSettingsPath();

}  // namespace zelvo::platform
