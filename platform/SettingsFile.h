#pragma once
// The per-user file that stands in for the registry key: sections of
// Name=Value lines, every value a text. Names of sections and values match
// regardless of letter case and keep the case they were first written with.
//
// Up to three copies share the file, so every write locks it, reads it again,
// changes the one value and replaces the file whole (temporary file, fsync,
// rename): no copy loses another's value and a crash never leaves a torn file.
// A write changes only the line of its value (or adds one): every other line,
// damaged or foreign ones included, stays as it was.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zelvo::platform {

class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One reading of the file: its lines as they stand, and where each value
// is, found by hashed name.
class SettingsDocument {
public:
    SettingsDocument() = default;
    explicit SettingsDocument(std::string_view text);

    // The stored text up to its first NUL, or nothing when the section or
    // the value is missing. Of a value written twice the later one counts.
    std::optional<std::string> Read(std::string_view section, std::string_view name) const;
    // Changes the line of the value that counts, or adds one at the end of
    // the section (the section at the end of the file when it is missing).
    void Set(std::string_view section, std::string_view name, std::string_view value);
    // Every line ends with a line feed.
    std::string Text() const;

    static std::string Escape(std::string_view value);
    static std::string Unescape(std::string_view text);

private:
    void Index();

    std::vector<std::string> lines_;
    // Section and value name, lower-cased: the line that holds the value.
    std::unordered_map<std::string, size_t> values_;
    // Section name, lower-cased: the line after which a new value goes.
    std::unordered_map<std::string, size_t> sectionEnds_;
};

class SettingsFile {
public:
    // Creates the folder (0700) and the file (0600) when missing, as far as
    // it can: a folder that cannot be written still reads, and the failure
    // is the first write's to report.
    explicit SettingsFile(std::string path);

    const std::string& Path() const { return path_; }

    // The whole file, read once; empty when there is none.
    SettingsDocument Load() const;
    std::optional<std::string> Read(const std::string& section, const std::string& name) const;
    // Throws SettingsError ("Failed to set data for 'Name'") when the value
    // cannot be stored; the file is then as it was.
    void Write(const std::string& section, const std::string& name, const std::string& value);

private:
    std::string path_;
};

// ${XDG_CONFIG_HOME:-$HOME/.config}/Quorvane/Zelvo.conf
std::string UserSettingsPath();

}  // namespace zelvo::platform
