#include "platform/SettingsFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Paths.h"

namespace zelvo::platform {
namespace {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto la = static_cast<unsigned char>(a[i]);
        auto lb = static_cast<unsigned char>(b[i]);
        if (la >= 'A' && la <= 'Z')
            la = static_cast<unsigned char>(la + 32);
        if (lb >= 'A' && lb <= 'Z')
            lb = static_cast<unsigned char>(lb + 32);
        if (la != lb)
            return false;
    }
    return true;
}

std::string TrimBlanks(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// A registry text ends at its first NUL.
std::string UpToNul(const std::string& s) {
    return s.substr(0, s.find('\0'));
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
    if (!std::filesystem::is_directory(dir, ec)) {
        std::filesystem::create_directories(dir, ec);
        if (!ec)
            ::chmod(dir.c_str(), 0700);
    }
    FileDescriptor fd(::open(path_.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600));
    if (fd.get() < 0)
        throw SettingsError("Failed to create key " + path_);
}

std::string SettingsFile::Escape(const std::string& value) {
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

std::string SettingsFile::Unescape(const std::string& text) {
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

std::vector<SettingsFile::Section> SettingsFile::Parse(const std::string& text) {
    std::vector<Section> sections;
    Section* current = nullptr;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string trimmed = TrimBlanks(line);
        if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
            std::string name = trimmed.substr(1, trimmed.size() - 2);
            current = nullptr;
            for (auto& s : sections)
                if (SameName(s.name, name))
                    current = &s;
            if (current == nullptr) {
                sections.push_back({name, {}});
                current = &sections.back();
            }
            continue;
        }
        size_t eq = line.find('=');
        // Lines outside a section, without a name, or otherwise foreign are
        // passed over: a damaged line must never cost the user the rest.
        if (current == nullptr || eq == std::string::npos || trimmed.empty() || trimmed[0] == ';' ||
            trimmed[0] == '#')
            continue;
        std::string name = TrimBlanks(line.substr(0, eq));
        if (name.empty())
            continue;
        std::string value = Unescape(line.substr(eq + 1));
        bool found = false;
        for (auto& e : current->entries) {
            if (SameName(e.name, name)) {
                e.value = value;
                found = true;
            }
        }
        if (!found)
            current->entries.push_back({name, value});
    }
    return sections;
}

std::string SettingsFile::Format(const std::vector<Section>& sections) {
    std::string out;
    for (const auto& s : sections) {
        if (!out.empty())
            out += '\n';
        out += '[' + s.name + "]\n";
        for (const auto& e : s.entries)
            out += e.name + '=' + Escape(e.value) + '\n';
    }
    return out;
}

std::optional<std::string> SettingsFile::Read(const std::string& section,
                                              const std::string& name) const {
    std::string text;
    if (!ReadWhole(path_, text))
        return std::nullopt;
    for (const auto& s : Parse(text)) {
        if (!SameName(s.name, section))
            continue;
        for (const auto& e : s.entries)
            if (SameName(e.name, name))
                return UpToNul(e.value);
    }
    return std::nullopt;
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

    std::string text;
    ReadWhole(path_, text);
    auto sections = Parse(text);
    Section* target = nullptr;
    for (auto& s : sections)
        if (SameName(s.name, section))
            target = &s;
    if (target == nullptr) {
        sections.push_back({section, {}});
        target = &sections.back();
    }
    std::string stored = UpToNul(value);
    bool found = false;
    for (auto& e : target->entries) {
        if (SameName(e.name, name)) {
            e.value = stored;
            found = true;
        }
    }
    if (!found)
        target->entries.push_back({name, stored});

    const std::string temp = path_ + ".tmp";
    {
        FileDescriptor out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        if (out.get() < 0)
            throw SettingsError(failed);
        bool ok = WriteAll(out.get(), Format(sections)) && ::fsync(out.get()) == 0;
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
