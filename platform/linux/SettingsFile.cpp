#include "platform/SettingsFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/FileReplace.h"
#include "platform/Paths.h"
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

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool ReadWhole(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    out = ss.str();
    return true;
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string Directory(const std::string& path) {
    auto dir = std::filesystem::path(path).parent_path().string();
    return dir.empty() ? "." : dir;
}

}  // namespace

std::string UserSettingsPath() {
    return SettingsDir() + "Zelvo.conf";
}

SettingsFile::SettingsFile(std::string path) : path_(std::move(path)) {
    std::error_code ec;
    std::string dir = Directory(path_);
    if (!std::filesystem::is_directory(dir, ec))
        MakePrivateFolders(dir);
    FileDescriptor fd(::open(path_.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600));
}

// ------------------------------------------------------------------ document

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

// ---------------------------------------------------------------------- file

SettingsDocument SettingsFile::Load() const {
    std::string text;
    if (!ReadWhole(path_, text))
        return {};
    return SettingsDocument(text);
}

std::optional<std::string> SettingsFile::Read(const std::string& section,
                                              const std::string& name) const {
    return Load().Read(section, name);
}

void SettingsFile::Write(const std::string& section, const std::string& name,
                         const std::string& value) {
    const std::string failed = "Failed to set data for '" + name + "'";
    // The lock lives on a file of its own: the settings file itself is
    // replaced by every write, so a lock on it would guard a file that is gone.
    FileDescriptor lock(::open((path_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.get() < 0)
        throw SettingsError(failed);
    while (::flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            throw SettingsError(failed);
    }

    SettingsDocument document = Load();
    document.Set(section, name, value);

    const std::string temp = path_ + ".tmp";
    {
        FileDescriptor out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        if (out.get() < 0)
            throw SettingsError(failed);
        bool ok = WriteAll(out.get(), document.Text()) && ::fsync(out.get()) == 0;
        ok = ::close(out.release()) == 0 && ok;
        if (!ok) {
            ::unlink(temp.c_str());
            throw SettingsError(failed);
        }
    }
    if (::rename(temp.c_str(), path_.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw SettingsError(failed);
    }
    FileDescriptor dir(::open(Directory(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

}  // namespace zelvo::platform
