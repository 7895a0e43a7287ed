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
