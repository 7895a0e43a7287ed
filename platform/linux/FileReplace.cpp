#include "platform/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace zelvo::platform {
namespace {

[[noreturn]] void Fail(const std::string& path, int error) {
    throw FileReplaceError("Cannot create file " + path + ". " + std::strerror(error));
}

std::string DirectoryOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Removes the temporary file unless it has been renamed into place.
class TempFile {
public:
    explicit TempFile(std::string pattern) : name_(std::move(pattern)) {
        std::vector<char> buf(name_.begin(), name_.end());
        buf.push_back('\0');
        fd_ = ::mkostemp(buf.data(), O_CLOEXEC);
        name_.assign(buf.data());
    }
    ~TempFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!committed_ && opened())
            ::unlink(name_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool opened() const { return fd_ >= 0 || closed_; }
    int fd() const { return fd_; }
    const std::string& name() const { return name_; }
    int Close() {
        int rc = ::close(fd_);
        fd_ = -1;
        closed_ = true;
        return rc;
    }
    void Commit() { committed_ = true; }

private:
    std::string name_;
    int fd_ = -1;
    bool closed_ = false;
    bool committed_ = false;
};

}  // namespace

void ReplaceFileContents(const std::string& path, const std::string& data, FileAccess access) {
    mode_t mode = 0;
    struct stat old {};
    bool existed = ::stat(path.c_str(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode)) {
        // Renaming over a directory would fail late and leave a stray file.
        Fail(path, EISDIR);
    } else if (access == FileAccess::Private) {
        mode = S_IRUSR | S_IWUSR;
    } else if (existed) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0644 & ~mask;
    }

    TempFile temp(path + ".XXXXXX");
    if (temp.fd() < 0)
        Fail(path, errno);
    if (::fchmod(temp.fd(), mode) != 0)
        Fail(path, errno);
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(temp.fd(), data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(path, errno);
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(temp.fd()) != 0)
        Fail(path, errno);
    if (temp.Close() != 0)
        Fail(path, errno);
    if (::rename(temp.name().c_str(), path.c_str()) != 0)
        Fail(path, errno);
    temp.Commit();

    int dir = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

bool MakePrivateFolders(const std::string& dir) {
    std::string path;
    std::size_t from = 0;
    while (from <= dir.size()) {
        std::size_t slash = dir.find('/', from);
        if (slash == std::string::npos)
            slash = dir.size();
        path = dir.substr(0, slash);
        from = slash + 1;
        if (path.empty())
            continue;  // the root
        if (::mkdir(path.c_str(), S_IRWXU) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace zelvo::platform
