// The settings' text form: sections of Name=Value lines. Both systems read
// it: the file on Linux, and on Windows the registry key's values laid out
// the same way.
#include "platform/SettingsFile.h"

#include <optional>

#include "platform/Text.h"

namespace zelvo::platform {
namespace {

std::string TrimBlanks(std::string_view s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos)
        return {};
    size_t e = s.find_last_not_of(" \t");
    return std::string(s.substr(b, e - b + 1));
}

// A registry text ends at its first NUL.
std::string UpToNul(std::string_view s) {
    return std::string(s.substr(0, s.find('\0')));
}

std::string Key(std::string_view section, std::string_view name) {
    std::string key = AsciiLower(section);
    key += '\n';  // no name holds a line break
    key += AsciiLower(name);
    return key;
}

// "[Name]" is a section header; a line that opens with "[" but does not
// close is a damaged one.
enum class LineKind { Header, DamagedHeader, Other };

LineKind KindOf(const std::string& trimmed) {
    if (trimmed.empty() || trimmed.front() != '[')
        return LineKind::Other;
    if (trimmed.size() >= 2 && trimmed.back() == ']')
        return LineKind::Header;
    return LineKind::DamagedHeader;
}

std::string_view WithoutCR(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

}  // namespace

SettingsDocument::SettingsDocument(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        lines_.emplace_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    Index();
}

void SettingsDocument::Index() {
    values_.clear();
    sectionEnds_.clear();
    std::optional<std::string> current;
    for (size_t i = 0; i < lines_.size(); ++i) {
        std::string_view line = WithoutCR(lines_[i]);
        std::string trimmed = TrimBlanks(line);
        switch (KindOf(trimmed)) {
            case LineKind::Header:
                current = AsciiLower(trimmed.substr(1, trimmed.size() - 2));
                sectionEnds_[*current] = i;
                continue;
            case LineKind::DamagedHeader:
                // Its values must not count as the section before it: they
                // belong to none until the next good header.
                current.reset();
                continue;
            case LineKind::Other:
                break;
        }
        size_t eq = line.find('=');
        // Lines outside a section, without a name, or otherwise foreign are
        // passed over: a damaged line must never cost the user the rest.
        if (!current || eq == std::string_view::npos || trimmed.empty() || trimmed[0] == ';' ||
            trimmed[0] == '#')
            continue;
        std::string name = TrimBlanks(line.substr(0, eq));
        if (name.empty())
            continue;
        values_[Key(*current, name)] = i;
        sectionEnds_[*current] = i;
    }
}

std::optional<std::string> SettingsDocument::Read(std::string_view section,
                                                  std::string_view name) const {
    auto it = values_.find(Key(section, name));
    if (it == values_.end())
        return std::nullopt;
    std::string_view line = WithoutCR(lines_[it->second]);
    return UpToNul(Unescape(line.substr(line.find('=') + 1)));
}

void SettingsDocument::Set(std::string_view section, std::string_view name,
                           std::string_view value) {
    const std::string stored = Escape(UpToNul(value));
    if (auto it = values_.find(Key(section, name)); it != values_.end()) {
        // The name keeps the spelling it was first written with.
        std::string& line = lines_[it->second];
        const bool cr = !line.empty() && line.back() == '\r';
        line = line.substr(0, line.find('=') + 1) + stored + (cr ? "\r" : "");
        return;
    }
    std::string entry = std::string(name) + '=' + stored;
    if (auto it = sectionEnds_.find(AsciiLower(section)); it != sectionEnds_.end()) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(it->second + 1),
                      std::move(entry));
    } else {
        if (!lines_.empty() && !TrimBlanks(WithoutCR(lines_.back())).empty())
            lines_.emplace_back();
        lines_.push_back('[' + std::string(section) + ']');
        lines_.push_back(std::move(entry));
    }
    Index();
}

std::string SettingsDocument::Text() const {
    std::string out;
    size_t size = 0;
    for (const auto& line : lines_)
        size += line.size() + 1;
    out.reserve(size);
    for (const auto& line : lines_) {
        out += line;
        out += '\n';
    }
    return out;
}

std::string SettingsDocument::Escape(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string SettingsDocument::Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            char n = text[i + 1];
            if (n == '\\' || n == 'r' || n == 'n') {
                out += n == '\\' ? '\\' : (n == 'r' ? '\r' : '\n');
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

}  // namespace zelvo::platform
